#include "glyphs/colors.h"

namespace gliffo {

namespace {

using raster::MakeColorRef;

std::array<raster::ColorRef, 31> g_systemColors = {
    MakeColorRef(0xC8, 0xC8, 0xC8),  // scroll bar
    MakeColorRef(0x00, 0x80, 0x80),  // desktop background
    MakeColorRef(0x00, 0x00, 0x80),  // active caption
    MakeColorRef(0x80, 0x80, 0x80),  // inactive caption
    MakeColorRef(0xC0, 0xC0, 0xC0),  // menu
    MakeColorRef(0xFF, 0xFF, 0xFF),  // window
    MakeColorRef(0x00, 0x00, 0x00),  // window frame
    MakeColorRef(0x00, 0x00, 0x00),  // menu text
    MakeColorRef(0x00, 0x00, 0x00),  // window text
    MakeColorRef(0xFF, 0xFF, 0xFF),  // caption text
    MakeColorRef(0xC0, 0xC0, 0xC0),  // active border
    MakeColorRef(0xC0, 0xC0, 0xC0),  // inactive border
    MakeColorRef(0x80, 0x80, 0x80),  // application workspace
    MakeColorRef(0x00, 0x00, 0x80),  // highlight
    MakeColorRef(0xFF, 0xFF, 0xFF),  // highlight text
    MakeColorRef(0xC0, 0xC0, 0xC0),  // button face
    MakeColorRef(0x80, 0x80, 0x80),  // button shadow
    MakeColorRef(0x80, 0x80, 0x80),  // grey text
    MakeColorRef(0x00, 0x00, 0x00),  // button text
    MakeColorRef(0xC0, 0xC0, 0xC0),  // inactive caption text
    MakeColorRef(0xFF, 0xFF, 0xFF),  // button highlight
    MakeColorRef(0x00, 0x00, 0x00),  // 3D dark shadow
    MakeColorRef(0xDF, 0xDF, 0xDF),  // 3D light
    MakeColorRef(0x00, 0x00, 0x00),  // tooltip text
    MakeColorRef(0xFF, 0xFF, 0xE1),  // tooltip background
    MakeColorRef(0x00, 0x00, 0x00),  // (unused)
    MakeColorRef(0x00, 0x00, 0xFF),  // hot light
    MakeColorRef(0x00, 0x00, 0x80),  // gradient active caption
    MakeColorRef(0x80, 0x80, 0x80),  // gradient inactive caption
    MakeColorRef(0x00, 0x00, 0x80),  // menu highlight
    MakeColorRef(0xC0, 0xC0, 0xC0),  // menu bar
};

}  // namespace

raster::ColorRef ColorToRGB(TColor color) {
  const auto bits = static_cast<std::uint32_t>(color);
  if (bits & 0x80000000u) {
    const std::uint32_t index = bits & 0xFF;
    return index < g_systemColors.size() ? g_systemColors[index] : 0;
  }
  return bits & 0x00FFFFFFu;
}

void SetSystemColor(int index, raster::ColorRef rgb) {
  if (index >= 0 && index < static_cast<int>(g_systemColors.size())) g_systemColors[static_cast<std::size_t>(index)] = rgb & 0xFFFFFF;
}

const std::array<raster::Rgb, 16>& SystemPalette16() {
  static const std::array<raster::Rgb, 16> table = [] {
    const TColor colors[16] = {clBlack, clMaroon, clGreen, clOlive, clNavy,   clPurple, clTeal, clGray,
                               clSilver, clRed,   clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};
    std::array<raster::Rgb, 16> t{};
    for (int i = 0; i < 16; ++i) t[static_cast<std::size_t>(i)] = raster::ToRgb(static_cast<raster::ColorRef>(colors[i]));
    return t;
  }();
  return table;
}

}  // namespace gliffo
