#include "glyphs/set_diff.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <unordered_map>

#include "glyphs/icon_set.h"
#include "platform/errors.h"
#include "platform/raster/pixels.h"

namespace gliffo {

namespace {

[[noreturn]] void Refuse(const std::string& message) { throw EInvalidOperation(message); }

// Past this many cells the common-subsequence table is not built: the glyphs between the
// equal head and tail are then paired by place, which is what a strip edited in place gives.
constexpr std::int64_t MaxTableCells = std::int64_t{4} << 20;

// The longest run of pairs (i, j), both rising, with same(i, j): the glyphs that kept their
// order. The equal head and tail are taken first, so a small edit of a long strip is cheap.
template <class Same>
std::vector<std::pair<int, int>> CommonSubsequence(int n, int m, Same same) {
  std::vector<std::pair<int, int>> head, tail;
  int a0 = 0, b0 = 0, a1 = n, b1 = m;
  while (a0 < a1 && b0 < b1 && same(a0, b0)) head.emplace_back(a0++, b0++);
  while (a1 > a0 && b1 > b0 && same(a1 - 1, b1 - 1)) tail.emplace_back(--a1, --b1);
  const int rows = a1 - a0, cols = b1 - b0;
  std::vector<std::pair<int, int>> middle;
  if (rows > 0 && cols > 0) {
    if (static_cast<std::int64_t>(rows + 1) * (cols + 1) > MaxTableCells) {
      for (int k = 0; k < std::min(rows, cols); ++k)
        if (same(a0 + k, b0 + k)) middle.emplace_back(a0 + k, b0 + k);
    } else {
      // length[i][j]: the longest common run of the suffixes from a0+i and b0+j.
      const auto width = static_cast<std::size_t>(cols + 1);
      std::vector<std::uint32_t> length(static_cast<std::size_t>(rows + 1) * width, 0);
      const auto at = [&](int i, int j) -> std::uint32_t& {
        return length[static_cast<std::size_t>(i) * width + static_cast<std::size_t>(j)];
      };
      for (int i = rows - 1; i >= 0; --i)
        for (int j = cols - 1; j >= 0; --j)
          at(i, j) = same(a0 + i, b0 + j) ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
      int i = 0, j = 0;
      while (i < rows && j < cols) {
        if (same(a0 + i, b0 + j)) {
          middle.emplace_back(a0 + i, b0 + j);
          ++i, ++j;
        } else if (at(i + 1, j) >= at(i, j + 1)) {
          ++i;
        } else {
          ++j;
        }
      }
    }
  }
  head.insert(head.end(), middle.begin(), middle.end());
  head.insert(head.end(), tail.rbegin(), tail.rend());
  return head;
}

bool Blank(const TGlyphPixels& glyph) {
  return std::all_of(glyph.begin(), glyph.end(), [](std::uint32_t p) { return p == 0; });
}

int DrawnPixels(const TGlyphPixels& glyph) {
  return static_cast<int>(std::count_if(glyph.begin(), glyph.end(), [](std::uint32_t p) { return p != 0; }));
}

// A hash of a glyph's pixels, to find a moved one among many.
std::uint64_t HashOf(const std::vector<TGlyphPixels>& glyphs) {
  std::uint64_t h = 1469598103934665603ull;
  for (const TGlyphPixels& g : glyphs)
    for (const std::uint32_t p : g) h = (h ^ p) * 1099511628211ull;
  return h;
}

}  // namespace

TGlyphPixels SeenGlyph(const TBitmapImage& picture, int left, int size) {
  TGlyphPixels out(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0);
  const raster::Surface s = picture.Surface();
  if (s.Empty() || left < 0 || left + size > s.Width || size > s.Height) return out;
  if (picture.HasAlpha()) {
    const std::vector<std::uint32_t> own = OwnPixels(picture);
    const auto width = static_cast<std::size_t>(picture.Width);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const std::uint32_t p = own[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(left + x)];
        out[static_cast<std::size_t>(y * size + x)] = AlphaOf(p) == 0 ? 0 : p;
      }
    return out;
  }
  const raster::ColorRef key = raster::GetPixel(s, left, size - 1);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const raster::ColorRef c = raster::GetPixel(s, left + x, y);
      if (c == key) continue;
      out[static_cast<std::size_t>(y * size + x)] = 0xFF000000u | (static_cast<std::uint32_t>(raster::RedOf(c)) << 16) |
                                                    (static_cast<std::uint32_t>(raster::GreenOf(c)) << 8) |
                                                    static_cast<std::uint32_t>(raster::BlueOf(c));
    }
  return out;
}

TDiffSide DiffSideOf(const TIconSet& set) {
  TDiffSide side;
  side.Named = true;
  side.Names = set.Icons();
  for (int c = 0; c < set.ColumnCount(); ++c) {
    side.Columns.push_back(set.Column(c).Key);
    side.ColumnSizes.push_back(set.Column(c).Size);
  }
  side.Glyphs.resize(static_cast<std::size_t>(set.IconCount()));
  for (int icon = 0; icon < set.IconCount(); ++icon)
    for (int c = 0; c < set.ColumnCount(); ++c)
      side.Glyphs[static_cast<std::size_t>(icon)].push_back(SeenGlyph(*set.CellImage(icon, c), 0, set.Column(c).Size));
  return side;
}

void CheckStripsPresent(const TIconSet& set) {
  for (int c = 0; c < set.ColumnCount(); ++c) {
    const TSetColumn& column = set.Column(c);
    struct stat info {};
    if (!column.Path.empty() && ::stat(column.FullPath.c_str(), &info) != 0)
      Refuse("its strip " + column.Path + " is not beside it; compare two checked-out copies of the set");
  }
}

TDiffSide DiffSideOf(const TBitmapImage& strip, int size) {
  TDiffSide side;
  if (size <= 0) size = strip.AbsHeight();
  if (size <= 0 || strip.AbsHeight() < size) Refuse("the picture holds no glyphs");
  side.Columns.push_back(std::to_string(size));
  side.ColumnSizes.push_back(size);
  for (int g = 0; g < strip.Width / size; ++g) side.Glyphs.push_back({SeenGlyph(strip, g * size, size)});
  return side;
}

bool TSideDiff::Differs() const {
  return std::any_of(Icons.begin(), Icons.end(), [](const TIconDiff& i) { return i.Status != TDiffStatus::Same; });
}

TSideDiff DiffSides(const TDiffSide& before, const TDiffSide& after) {
  if (before.Named != after.Named) Refuse("a set is compared with a set, a strip with a strip");
  if (!before.Named && before.ColumnSizes != after.ColumnSizes)
    Refuse("the strips' glyphs are " + std::to_string(before.ColumnSizes.at(0)) + " and " +
           std::to_string(after.ColumnSizes.at(0)) + " pixels: not two versions of one strip");
  TSideDiff diff;
  diff.Named = after.Named;
  diff.Columns = after.Columns;
  for (const std::string& key : before.Columns)
    if (std::find(diff.Columns.begin(), diff.Columns.end(), key) == diff.Columns.end()) diff.Columns.push_back(key);

  // Each column of the report, in either side (-1: the side has none).
  const auto columnIn = [](const TDiffSide& side, const std::string& key) {
    const auto found = std::find(side.Columns.begin(), side.Columns.end(), key);
    return found == side.Columns.end() ? -1 : static_cast<int>(found - side.Columns.begin());
  };
  std::vector<std::pair<int, int>> columnPairs;
  for (const std::string& key : diff.Columns) columnPairs.emplace_back(columnIn(before, key), columnIn(after, key));

  const auto compare = [&](int a, int b, TIconDiff& out) {
    const auto& ga = before.Glyphs[static_cast<std::size_t>(a)];
    const auto& gb = after.Glyphs[static_cast<std::size_t>(b)];
    for (std::size_t k = 0; k < columnPairs.size(); ++k) {
      const auto [ca, cb] = columnPairs[k];
      int changed = 0;
      if (ca < 0 || cb < 0) {
        changed = DrawnPixels(ca < 0 ? gb[static_cast<std::size_t>(cb)] : ga[static_cast<std::size_t>(ca)]);
      } else {
        const TGlyphPixels& pa = ga[static_cast<std::size_t>(ca)];
        const TGlyphPixels& pb = gb[static_cast<std::size_t>(cb)];
        if (pa.size() != pb.size()) {
          changed = std::max(DrawnPixels(pa), DrawnPixels(pb));
        } else {
          for (std::size_t p = 0; p < pa.size(); ++p) changed += pa[p] != pb[p];
        }
      }
      if (changed > 0) {
        out.Pixels += changed;
        out.ChangedColumns.push_back(diff.Columns[k]);
      }
    }
  };
  const int n = before.IconCount(), m = after.IconCount();
  // Digests first, so the common-subsequence table of two long strips compares numbers.
  std::vector<std::uint64_t> hashA, hashB;
  if (!after.Named) {
    for (const auto& glyphs : before.Glyphs) hashA.push_back(HashOf(glyphs));
    for (const auto& glyphs : after.Glyphs) hashB.push_back(HashOf(glyphs));
  }
  const auto sameContent = [&](int a, int b) {
    return hashA[static_cast<std::size_t>(a)] == hashB[static_cast<std::size_t>(b)] &&
           before.Glyphs[static_cast<std::size_t>(a)] == after.Glyphs[static_cast<std::size_t>(b)];
  };

  std::vector<int> partnerOfB(static_cast<std::size_t>(m), -1), partnerOfA(static_cast<std::size_t>(n), -1);
  std::vector<bool> movedB(static_cast<std::size_t>(m), false);
  // Pairs in order (kept or changed in place): removed icons are placed after them.
  std::vector<std::pair<int, int>> inOrder;

  if (after.Named) {
    std::map<std::string, int> indexInB;
    for (int j = 0; j < m; ++j) indexInB[after.Names[static_cast<std::size_t>(j)]] = j;
    std::vector<int> commonA, commonB;  // the icons both name, each side in its order
    for (int i = 0; i < n; ++i) {
      const auto found = indexInB.find(before.Names[static_cast<std::size_t>(i)]);
      if (found == indexInB.end()) continue;
      commonA.push_back(i);
      partnerOfA[static_cast<std::size_t>(i)] = found->second;
      partnerOfB[static_cast<std::size_t>(found->second)] = i;
    }
    for (int j = 0; j < m; ++j)
      if (partnerOfB[static_cast<std::size_t>(j)] >= 0) commonB.push_back(j);
    const auto kept = CommonSubsequence(static_cast<int>(commonA.size()), static_cast<int>(commonB.size()),
                                        [&](int x, int y) {
                                          return partnerOfA[static_cast<std::size_t>(commonA[static_cast<std::size_t>(x)])] ==
                                                 commonB[static_cast<std::size_t>(y)];
                                        });
    for (const auto& [x, y] : kept) inOrder.emplace_back(commonA[static_cast<std::size_t>(x)], commonB[static_cast<std::size_t>(y)]);
    std::fill(movedB.begin(), movedB.end(), true);
    for (const auto& [a, b] : inOrder) movedB[static_cast<std::size_t>(b)] = false;
  } else {
    // Glyphs that kept their order, then glyphs found again elsewhere by their pixels, then
    // what is left between two kept glyphs paired by place: changed where they stand.
    inOrder = CommonSubsequence(n, m, sameContent);
    for (const auto& [a, b] : inOrder) {
      partnerOfA[static_cast<std::size_t>(a)] = b;
      partnerOfB[static_cast<std::size_t>(b)] = a;
    }
    std::unordered_multimap<std::uint64_t, int> loose;
    for (int i = 0; i < n; ++i)
      if (partnerOfA[static_cast<std::size_t>(i)] < 0 && !Blank(before.Glyphs[static_cast<std::size_t>(i)][0]))
        loose.emplace(hashA[static_cast<std::size_t>(i)], i);
    for (int j = 0; j < m; ++j) {
      if (partnerOfB[static_cast<std::size_t>(j)] >= 0) continue;
      int best = -1;
      const auto range = loose.equal_range(hashB[static_cast<std::size_t>(j)]);
      for (auto it = range.first; it != range.second; ++it)
        if (partnerOfA[static_cast<std::size_t>(it->second)] < 0 && sameContent(it->second, j) &&
            (best < 0 || it->second < best))
          best = it->second;
      if (best < 0) continue;
      partnerOfA[static_cast<std::size_t>(best)] = j;
      partnerOfB[static_cast<std::size_t>(j)] = best;
      movedB[static_cast<std::size_t>(j)] = true;
    }
    std::vector<std::pair<int, int>> anchors = inOrder;
    anchors.emplace_back(n, m);
    std::vector<std::pair<int, int>> paired;
    int a = 0, b = 0;
    for (const auto& [na, nb] : anchors) {
      std::vector<int> freeA, freeB;
      for (int i = a; i < na; ++i)
        if (partnerOfA[static_cast<std::size_t>(i)] < 0) freeA.push_back(i);
      for (int j = b; j < nb; ++j)
        if (partnerOfB[static_cast<std::size_t>(j)] < 0) freeB.push_back(j);
      for (std::size_t k = 0; k < std::min(freeA.size(), freeB.size()); ++k) {
        partnerOfA[static_cast<std::size_t>(freeA[k])] = freeB[k];
        partnerOfB[static_cast<std::size_t>(freeB[k])] = freeA[k];
        paired.emplace_back(freeA[k], freeB[k]);
      }
      if (na < n) paired.emplace_back(na, nb);
      a = na + 1, b = nb + 1;
    }
    inOrder = std::move(paired);
  }

  // The report: the second version's icons in order, each removed icon after the icon that
  // stood before it and is still there.
  std::vector<std::pair<std::int64_t, TIconDiff>> ordered;
  for (int j = 0; j < m; ++j) {
    TIconDiff d;
    d.Index = j;
    if (after.Named) d.Name = after.Names[static_cast<std::size_t>(j)];
    const int i = partnerOfB[static_cast<std::size_t>(j)];
    if (i < 0) {
      d.Status = TDiffStatus::Added;
    } else {
      d.From = i;
      compare(i, j, d);
      // A strip's glyphs are known by their places: one that kept its pixels but not its
      // place has moved for every toolbar that asks for it by index.
      const bool moved = movedB[static_cast<std::size_t>(j)] || (!after.Named && d.Pixels == 0 && i != j);
      d.Status = moved ? TDiffStatus::Moved : d.Pixels > 0 ? TDiffStatus::Changed : TDiffStatus::Same;
    }
    ordered.emplace_back(std::int64_t{2} * j + 1, std::move(d));
  }
  for (int i = 0; i < n; ++i) {
    if (partnerOfA[static_cast<std::size_t>(i)] >= 0) continue;
    TIconDiff d;
    d.Status = TDiffStatus::Removed;
    d.Index = d.From = i;
    if (before.Named) d.Name = before.Names[static_cast<std::size_t>(i)];
    int after_ = -1;
    for (const auto& [pa, pb] : inOrder)
      if (pa < i) after_ = std::max(after_, pb);
    ordered.emplace_back(std::int64_t{2} * after_ + 2, std::move(d));
  }
  std::stable_sort(ordered.begin(), ordered.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  for (auto& [key, d] : ordered) diff.Icons.push_back(std::move(d));
  return diff;
}

std::string StatusText(const TIconDiff& icon) {
  const std::string changed = "changed " + std::to_string(icon.Pixels) + (icon.Pixels == 1 ? " pixel" : " pixels");
  switch (icon.Status) {
    case TDiffStatus::Same: return "same";
    case TDiffStatus::Changed: return changed;
    case TDiffStatus::Added: return "added";
    case TDiffStatus::Removed: return "removed";
    case TDiffStatus::Moved:
      return "moved from " + std::to_string(icon.From) + (icon.Pixels > 0 ? ", " + changed : "");
  }
  return "";
}

std::string IconLabel(const TIconDiff& icon) { return icon.Name.empty() ? std::to_string(icon.Index) : icon.Name; }

namespace {

constexpr int Gap = 4;          // between the three pictures of a column, and around
constexpr int ColumnGap = 16;   // between two columns
constexpr raster::ColorRef Background = raster::MakeColorRef(0xFF, 0xFF, 0xFF);
constexpr raster::ColorRef CheckLight = raster::MakeColorRef(0xF0, 0xF0, 0xF0);
constexpr raster::ColorRef CheckDark = raster::MakeColorRef(0xD0, 0xD0, 0xD0);
constexpr raster::ColorRef Marked = raster::MakeColorRef(0xFF, 0x00, 0x00);

int ScaleOf(int size) { return std::max(1, (64 + size / 2) / size); }

// A straight-alpha pixel over a ground colour.
raster::ColorRef Over(std::uint32_t pixel, raster::ColorRef ground) {
  const int a = static_cast<int>(pixel >> 24);
  const auto mix = [&](int top, int below) { return (top * a + below * (255 - a) + 127) / 255; };
  return raster::MakeColorRef(mix(static_cast<int>((pixel >> 16) & 0xFF), raster::RedOf(ground)),
                              mix(static_cast<int>((pixel >> 8) & 0xFF), raster::GreenOf(ground)),
                              mix(static_cast<int>(pixel & 0xFF), raster::BlueOf(ground)));
}

raster::ColorRef Faded(raster::ColorRef c) {
  return raster::MakeColorRef((raster::RedOf(c) + 3 * 255) / 4, (raster::GreenOf(c) + 3 * 255) / 4,
                              (raster::BlueOf(c) + 3 * 255) / 4);
}

}  // namespace

std::shared_ptr<TBitmapImage> DiffPicture(const TDiffSide& before, const TDiffSide& after, const TSideDiff& diff) {
  std::vector<const TIconDiff*> rows;
  for (const TIconDiff& icon : diff.Icons)
    if (icon.Status != TDiffStatus::Same) rows.push_back(&icon);
  if (rows.empty()) return nullptr;

  struct TColumnPlace {
    int Before = -1, After = -1;  // the column in each side
    int Size = 0, Scale = 1, Left = 0;
  };
  std::vector<TColumnPlace> places;
  int width = Gap, rowHeight = 0;
  for (const std::string& key : diff.Columns) {
    TColumnPlace p;
    const auto find = [&](const TDiffSide& side) {
      const auto it = std::find(side.Columns.begin(), side.Columns.end(), key);
      return it == side.Columns.end() ? -1 : static_cast<int>(it - side.Columns.begin());
    };
    p.Before = find(before);
    p.After = find(after);
    p.Size = p.After >= 0 ? after.ColumnSizes[static_cast<std::size_t>(p.After)]
                          : before.ColumnSizes[static_cast<std::size_t>(p.Before)];
    p.Scale = ScaleOf(p.Size);
    p.Left = width;
    width += 3 * p.Size * p.Scale + 2 * Gap + ColumnGap;
    rowHeight = std::max(rowHeight, p.Size * p.Scale);
    places.push_back(p);
  }
  width += Gap - ColumnGap;
  const std::int64_t height = static_cast<std::int64_t>(rows.size()) * (rowHeight + Gap) + Gap;
  if (raster::TooManyPixels(width, height)) ThrowOutOfResources();

  TBitmapImage description;
  description.Width = width;
  description.Height = static_cast<std::int32_t>(height);
  std::shared_ptr<TBitmapImage> picture = NewStore(description);
  const raster::Surface s = picture->Surface();
  const std::uint32_t background = raster::ColorToValue(s, Background);
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x) raster::WriteValue(s, x, y, background);

  const auto block = [&](int left, int top, int scale, raster::ColorRef colour) {
    const std::uint32_t value = raster::ColorToValue(s, colour);
    for (int y = 0; y < scale; ++y)
      for (int x = 0; x < scale; ++x) raster::WriteValue(s, left + x, top + y, value);
  };
  const TGlyphPixels none;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const TIconDiff& icon = *rows[r];
    const int top = Gap + static_cast<int>(r) * (rowHeight + Gap);
    const bool hasBefore = icon.Status != TDiffStatus::Added, hasAfter = icon.Status != TDiffStatus::Removed;
    for (const TColumnPlace& p : places) {
      const TGlyphPixels& was = hasBefore && p.Before >= 0
                                    ? before.Glyphs[static_cast<std::size_t>(icon.From)][static_cast<std::size_t>(p.Before)]
                                    : none;
      const TGlyphPixels& now = hasAfter && p.After >= 0
                                    ? after.Glyphs[static_cast<std::size_t>(icon.Index)][static_cast<std::size_t>(p.After)]
                                    : none;
      const int panel = p.Size * p.Scale;
      for (int y = 0; y < p.Size; ++y)
        for (int x = 0; x < p.Size; ++x) {
          const auto k = static_cast<std::size_t>(y * p.Size + x);
          const raster::ColorRef check = (x + y) % 2 ? CheckDark : CheckLight;
          const std::uint32_t a = k < was.size() ? was[k] : 0, b = k < now.size() ? now[k] : 0;
          const int py = top + y * p.Scale;
          block(p.Left + x * p.Scale, py, p.Scale, Over(a, check));
          block(p.Left + panel + Gap + x * p.Scale, py, p.Scale, Over(b, check));
          block(p.Left + 2 * (panel + Gap) + x * p.Scale, py, p.Scale, a != b ? Marked : Faded(Over(b, check)));
        }
    }
  }
  return picture;
}

}  // namespace gliffo
