#include "platform/raster/mix.h"

#include <cstring>

namespace gliffo::raster {

namespace {

template <typename Op>
void MixRow32(std::uint8_t* row, int x0, int x1, std::uint32_t mask, Op op) {
  std::uint8_t* p = row + 4 * static_cast<std::ptrdiff_t>(x0);
  for (int x = x0; x < x1; ++x, p += 4) {
    std::uint32_t d;
    std::memcpy(&d, p, 4);
    d = op(d) & mask;
    std::memcpy(p, &d, 4);
  }
}

void MixRow32Any(std::uint8_t* row, int x0, int x1, std::uint32_t p, std::uint32_t mask, MixMode mode) {
  // The modes the editor uses get their own loops; the rest share one.
  switch (mode) {
    case MixMode::CopyPen: {
      const std::uint32_t v = p & mask;
      std::uint8_t* q = row + 4 * static_cast<std::ptrdiff_t>(x0);
      for (int x = x0; x < x1; ++x, q += 4) std::memcpy(q, &v, 4);
      return;
    }
    case MixMode::NotXorPen: MixRow32(row, x0, x1, mask, [p](std::uint32_t d) { return ~(p ^ d); }); return;
    case MixMode::XorPen: MixRow32(row, x0, x1, mask, [p](std::uint32_t d) { return p ^ d; }); return;
    case MixMode::Nop: return;
    default: MixRow32(row, x0, x1, mask, [p, mode](std::uint32_t d) { return Mix(mode, p, d); }); return;
  }
}

}  // namespace

void MixSpan(const Surface& s, int y, int x0, int x1, std::uint32_t p, MixMode mode) {
  if (x0 >= x1) return;
  const std::uint32_t mask = ValueMask(s);
  if (s.BitCount == 32) {
    MixRow32Any(s.Row(y), x0, x1, p, mask, mode);
    return;
  }
  if (mode == MixMode::Nop) return;
  for (int x = x0; x < x1; ++x) WriteValue(s, x, y, MixValue(mode, p, ReadValue(s, x, y), mask));
}

void MixSpanPattern(const Surface& s, int y, int x0, int x1, std::uint32_t p, MixMode mode, std::uint8_t pattern) {
  if (x0 >= x1 || pattern == 0) return;
  if (pattern == 0xFF) {
    MixSpan(s, y, x0, x1, p, mode);
    return;
  }
  const std::uint32_t mask = ValueMask(s);
  for (int x = x0; x < x1; ++x) {
    if (!(pattern & (0x80u >> (x & 7)))) continue;
    WriteValue(s, x, y, MixValue(mode, p, ReadValue(s, x, y), mask));
  }
}

}  // namespace gliffo::raster
