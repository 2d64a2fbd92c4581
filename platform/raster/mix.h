#pragma once
// The sixteen binary mix modes of pens and figure interiors, on stored values, and the span
// writer every drawing primitive goes through.
#include <cstdint>

#include "platform/raster/pixels.h"

namespace gliffo::raster {

// Numbered as the drawing calls we stand in for number them (1 = black ... 16 = white).
enum class MixMode : int {
  Black = 1,
  NotMergePen = 2,
  MaskNotPen = 3,
  NotCopyPen = 4,
  MaskPenNot = 5,
  Not = 6,
  XorPen = 7,
  NotMaskPen = 8,
  MaskPen = 9,
  NotXorPen = 10,
  Nop = 11,
  MergeNotPen = 12,
  CopyPen = 13,
  MergePenNot = 14,
  MergePen = 15,
  White = 16,
};

// Result of mixing pen value p into destination value d, before masking.
constexpr std::uint32_t Mix(MixMode mode, std::uint32_t p, std::uint32_t d) {
  switch (mode) {
    case MixMode::Black: return 0;
    case MixMode::NotMergePen: return ~(p | d);
    case MixMode::MaskNotPen: return ~p & d;
    case MixMode::NotCopyPen: return ~p;
    case MixMode::MaskPenNot: return p & ~d;
    case MixMode::Not: return ~d;
    case MixMode::XorPen: return p ^ d;
    case MixMode::NotMaskPen: return ~(p & d);
    case MixMode::MaskPen: return p & d;
    case MixMode::NotXorPen: return ~(p ^ d);
    case MixMode::Nop: return d;
    case MixMode::MergeNotPen: return ~p | d;
    case MixMode::CopyPen: return p;
    case MixMode::MergePenNot: return p | ~d;
    case MixMode::MergePen: return p | d;
    case MixMode::White: return ~0u;
  }
  return d;
}

// Mixes one stored value into the destination; the result keeps only the bits a pixel can hold
// (ValueMask), so the fourth byte of a 32-bit store stays 0 and an index stays in its nibble.
inline std::uint32_t MixValue(MixMode mode, std::uint32_t p, std::uint32_t d, std::uint32_t mask) {
  return Mix(mode, p, d) & mask;
}

// Mixes value p into the pixels x0 <= x < x1 of row y. The caller has clipped the span.
void MixSpan(const Surface& s, int y, int x0, int x1, std::uint32_t p, MixMode mode);

// The same for the pixels of the span whose bit is set in an 8-pixel pattern row (bit 7 is
// the pixel with x mod 8 == 0); the others are left alone.
void MixSpanPattern(const Surface& s, int y, int x0, int x1, std::uint32_t p, MixMode mode, std::uint8_t pattern);

}  // namespace gliffo::raster
