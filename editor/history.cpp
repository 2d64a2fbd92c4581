#include "editor/history.h"

#include <algorithm>
#include <cstring>

namespace gliffo {

namespace {

struct TLayout {
  int Unit = 1;          // bytes per coded pixel (whole bytes for formats under 8 bits)
  std::size_t RowBytes = 0;
};

TLayout LayoutOf(const raster::Surface& s) {
  TLayout layout;
  layout.Unit = std::max(1, s.BitCount / 8);
  layout.RowBytes = (static_cast<std::size_t>(s.Width) * static_cast<std::size_t>(s.BitCount) + 7) / 8;
  return layout;
}

bool SameLayout(const raster::Surface& a, const raster::Surface& b) {
  return a.Width == b.Width && a.Height == b.Height && a.BitCount == b.BitCount;
}

// Units first..last (inclusive) of rows top..bottom (exclusive), as runs.
std::vector<std::uint8_t> Encode(const raster::Surface& s, int unit, int top, int bottom, std::size_t first,
                                 std::size_t last) {
  std::vector<std::uint8_t> out;
  const std::uint8_t* run = nullptr;
  int count = 0;
  auto flush = [&] {
    if (count == 0) return;
    out.push_back(static_cast<std::uint8_t>(count));
    out.insert(out.end(), run, run + unit);
    count = 0;
  };
  for (int y = top; y < bottom; ++y) {
    const std::uint8_t* row = s.Row(y);
    for (std::size_t u = first; u <= last; ++u) {
      const std::uint8_t* p = row + u * static_cast<std::size_t>(unit);
      if (count > 0 && count < 255 && std::memcmp(p, run, static_cast<std::size_t>(unit)) == 0) {
        ++count;
        continue;
      }
      flush();
      run = p;
      count = 1;
    }
  }
  flush();
  out.shrink_to_fit();
  return out;
}

void Decode(const raster::Surface& s, int unit, int top, int bottom, std::size_t first, std::size_t last,
            const std::vector<std::uint8_t>& runs) {
  std::size_t at = 0;
  int left = 0;
  const std::uint8_t* value = nullptr;
  for (int y = top; y < bottom; ++y) {
    std::uint8_t* row = s.Row(y);
    for (std::size_t u = first; u <= last; ++u) {
      if (left == 0) {
        if (at + 1 + static_cast<std::size_t>(unit) > runs.size()) return;
        left = runs[at];
        value = runs.data() + at + 1;
        at += 1 + static_cast<std::size_t>(unit);
      }
      std::memcpy(row + u * static_cast<std::size_t>(unit), value, static_cast<std::size_t>(unit));
      --left;
    }
  }
}

// The units of a patch's area on a surface of this layout.
void UnitsOf(const TRect& area, const raster::Surface& s, const TLayout& layout, std::size_t& first, std::size_t& last) {
  if (s.BitCount >= 8) {
    first = static_cast<std::size_t>(area.Left);
    last = static_cast<std::size_t>(area.Right - 1);
  } else {
    first = 0;
    last = layout.RowBytes - 1;
  }
}

}  // namespace

std::size_t TEditHistory::GlyphBytesOf(const TBitmap& glyph) {
  const raster::Surface s = glyph.Image().Surface();
  return s.Empty() ? 0 : static_cast<std::size_t>(s.Stride < 0 ? -s.Stride : s.Stride) * static_cast<std::size_t>(s.Height);
}

void TEditHistory::Drop(TStep& step) {
  bytes_ -= step.Patch.Bytes() + step.GlyphBytes;
  step.Patch = TPatch{};
  step.GlyphBytes = 0;
}

void TEditHistory::Reset(const std::string& name, const TBitmap& surface, const TBitmap& glyph) {
  steps_.clear();
  bytes_ = 0;
  TStep first;
  first.Name = name;
  first.Glyph->Assign(&glyph);
  first.GlyphBytes = GlyphBytesOf(glyph);
  bytes_ += first.GlyphBytes;
  steps_.push_back(std::move(first));
  position_ = 0;
  saved_ = 0;
  ++changes_;
  current_.Assign(&surface);
}

void TEditHistory::Record(const std::string& name, const TBitmap& surface, const TBitmap& glyph) {
  const raster::Surface was = current_.Image().Surface();
  const raster::Surface now = surface.Image().Surface();
  if (steps_.empty() || was.Empty() || now.Empty() || !SameLayout(was, now)) {
    Reset(name, surface, glyph);
    saved_ = -1;  // the new start is itself a change
    return;
  }
  if (saved_ > position_) saved_ = -1;  // the kept entry is among the steps ahead, which go
  while (Count() > position_ + 1) {
    Drop(steps_.back());
    steps_.pop_back();
  }

  TStep step;
  step.Name = name;
  if (was.Bits != now.Bits) {
    // The rows and columns where the two surfaces differ.
    const TLayout layout = LayoutOf(now);
    int top = now.Height, bottom = 0;
    std::size_t firstByte = layout.RowBytes, lastByte = 0;
    for (int y = 0; y < now.Height; ++y) {
      const std::uint8_t* a = was.Row(y);
      const std::uint8_t* b = now.Row(y);
      if (std::memcmp(a, b, layout.RowBytes) == 0) continue;
      std::size_t l = 0, r = layout.RowBytes - 1;
      while (a[l] == b[l]) ++l;
      while (a[r] == b[r]) --r;
      top = std::min(top, y);
      bottom = y + 1;
      firstByte = std::min(firstByte, l);
      lastByte = std::max(lastByte, r);
    }
    if (bottom > top) {
      const auto unit = static_cast<std::size_t>(layout.Unit);
      TRect area = now.BitCount >= 8 ? Rect(static_cast<int>(firstByte / unit), top, static_cast<int>(lastByte / unit) + 1, bottom)
                                     : Rect(0, top, now.Width, bottom);
      std::size_t first = 0, last = 0;
      UnitsOf(area, now, layout, first, last);
      step.Patch.Area = area;
      step.Patch.Before = Encode(was, layout.Unit, top, bottom, first, last);
      step.Patch.After = Encode(now, layout.Unit, top, bottom, first, last);
    }
  }
  step.Glyph->Assign(&glyph);
  step.GlyphBytes = GlyphBytesOf(glyph);
  bytes_ += step.Patch.Bytes() + step.GlyphBytes;
  steps_.push_back(std::move(step));
  position_ = Count() - 1;
  ++changes_;
  current_.Assign(&surface);

  // The oldest steps go first; the one after the first entry becomes the new start.
  while (Count() > MaxSteps + 1 || (bytes_ > MaxBytes && Count() > MinSteps + 1)) {
    Drop(steps_.front());
    steps_.pop_front();
    TStep& start = steps_.front();
    bytes_ -= start.Patch.Bytes();
    start.Patch = TPatch{};
    --position_;
    if (saved_ >= 0) --saved_;
  }
}

TRect TEditHistory::GoTo(int index, TBitmap& surface, TBitmap& glyph) {
  if (steps_.empty()) return TRect{};
  index = std::clamp(index, 0, Count() - 1);
  if (index == position_) return TRect{};
  TRect changed{};
  {
    const raster::Surface s = surface.WritableSurface();
    const TLayout layout = LayoutOf(s);
    auto apply = [&](const TPatch& patch, const std::vector<std::uint8_t>& runs) {
      if (patch.Area.Right <= patch.Area.Left) return;
      std::size_t first = 0, last = 0;
      UnitsOf(patch.Area, s, layout, first, last);
      Decode(s, layout.Unit, patch.Area.Top, patch.Area.Bottom, first, last, runs);
      changed = changed.Right > changed.Left
                    ? Rect(std::min(changed.Left, patch.Area.Left), std::min(changed.Top, patch.Area.Top),
                           std::max(changed.Right, patch.Area.Right), std::max(changed.Bottom, patch.Area.Bottom))
                    : patch.Area;
    };
    while (position_ > index) {
      const TPatch& patch = steps_[static_cast<std::size_t>(position_)].Patch;
      apply(patch, patch.Before);
      --position_;
    }
    while (position_ < index) {
      ++position_;
      const TPatch& patch = steps_[static_cast<std::size_t>(position_)].Patch;
      apply(patch, patch.After);
    }
  }
  surface.Changed();
  current_.Assign(&surface);
  ++changes_;
  glyph.Assign(steps_[static_cast<std::size_t>(position_)].Glyph.get());
  return changed;
}

}  // namespace gliffo
