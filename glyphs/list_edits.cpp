// Reshaping the glyph list: delete, move, duplicate and insert, and the list's own history.
// Every command works on a whole snapshot of the list and puts it back in one go, so the image
// list always holds the cells in the shown order and the items are always numbered 0..n-1.
#include <algorithm>
#include <cstddef>
#include <string>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "glyphs/glyph_list.h"
#include "glyphs/strings.h"
#include "platform/errors.h"

namespace gliffo {

namespace {

// The history keeps whole snapshots; beyond this many steps or bytes the oldest are dropped.
constexpr std::size_t MaxSteps = 100;
constexpr std::size_t MaxHistoryBytes = std::size_t{256} << 20;

std::size_t StateBytes(const TListState& state) {
  std::size_t bytes = state.Pixels.size() * sizeof(std::uint32_t);
  for (const std::vector<std::uint32_t>& own : state.AlphaCells) bytes += own.size() * sizeof(std::uint32_t);
  return bytes;
}

std::size_t CellPixelCount(const TListState& state) {
  return static_cast<std::size_t>(state.GlyphSize) * static_cast<std::size_t>(state.GlyphSize);
}

// One glyph taken out of a snapshot, to be put back in another order.
struct TCell {
  const std::uint32_t* Pixels;
  TGlyphOrigin Origin;
  bool Selected;
  std::uint64_t Key = 0;  // 0: a new glyph, which gets a key of its own
  const std::uint32_t* Alpha = nullptr;  // its own pixels with alpha, if it has them
};

std::vector<TCell> CellsOf(const TListState& state) {
  std::vector<TCell> cells;
  cells.reserve(static_cast<std::size_t>(state.Count));
  const std::size_t n = CellPixelCount(state);
  for (int k = 0; k < state.Count; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const std::uint32_t* alpha =
        i < state.AlphaCells.size() && !state.AlphaCells[i].empty() ? state.AlphaCells[i].data() : nullptr;
    cells.push_back({state.Pixels.data() + n * i, state.Origins[i], state.Selected[i], state.Keys[i], alpha});
  }
  return cells;
}

TListState StateOf(int glyphSize, const std::vector<TCell>& cells) {
  TListState state;
  state.GlyphSize = glyphSize;
  state.Count = static_cast<int>(cells.size());
  const std::size_t n = static_cast<std::size_t>(glyphSize) * static_cast<std::size_t>(glyphSize);
  state.Pixels.reserve(n * cells.size());
  for (const TCell& cell : cells) {
    state.Pixels.insert(state.Pixels.end(), cell.Pixels, cell.Pixels + n);
    state.Origins.push_back(cell.Origin);
    state.Selected.push_back(cell.Selected);
    state.Keys.push_back(cell.Key);
    if (cell.Alpha) {
      state.AlphaCells.resize(cells.size());
      state.AlphaCells[state.Selected.size() - 1].assign(cell.Alpha, cell.Alpha + n);
    }
  }
  return state;
}

// Returns how many of the oldest steps went.
int TrimHistory(std::deque<TListState>& steps) {
  std::size_t bytes = 0;
  for (const TListState& step : steps) bytes += StateBytes(step);
  int dropped = 0;
  while (steps.size() > 1 && (steps.size() > MaxSteps || bytes > MaxHistoryBytes)) {
    bytes -= StateBytes(steps.front());
    steps.pop_front();
    ++dropped;
  }
  return dropped;
}

}  // namespace

TGlyphOrigin TGlyphCollection::Origin(int cell) const {
  if (cell < 0 || static_cast<std::size_t>(cell) >= origins_.size()) return {};
  return origins_[static_cast<std::size_t>(cell)];
}

void TGlyphCollection::EnsureKeys() const {
  const auto count = static_cast<std::size_t>(CellsMatchGlyphSize() ? ImageList1.Count() : 0);
  if (keys_.size() > count) keys_.resize(count);
  while (keys_.size() < count) keys_.push_back(++lastKey_);
}

std::uint64_t TGlyphCollection::CellKey(int cell) const {
  EnsureKeys();
  return cell >= 0 && static_cast<std::size_t>(cell) < keys_.size() ? keys_[static_cast<std::size_t>(cell)] : 0;
}

int TGlyphCollection::CellWithKey(std::uint64_t key) const {
  if (key == 0) return -1;
  EnsureKeys();
  const auto found = std::find(keys_.begin(), keys_.end(), key);
  return found == keys_.end() ? -1 : static_cast<int>(found - keys_.begin());
}

void TGlyphCollection::StartFresh(std::vector<TGlyphOrigin> origins) {
  origins_ = std::move(origins);
  loadedOrigins_ = origins_;
  // The cells about to be loaded are other glyphs than any before.
  keys_.clear();
  savedDepth_ = 0;
  undo_.clear();
  redo_.clear();
  StateChanged();
}

bool TGlyphCollection::FileOrderKept() const {
  std::size_t next = 0;
  for (const TGlyphOrigin& origin : origins_) {
    if (!origin.HasFile()) continue;
    if (next >= loadedOrigins_.size() || !(loadedOrigins_[next] == origin)) return false;
    ++next;
  }
  // Any loaded glyph not seen by now was deleted.
  return std::none_of(loadedOrigins_.begin() + static_cast<std::ptrdiff_t>(next), loadedOrigins_.end(),
                      [](const TGlyphOrigin& origin) { return origin.HasFile(); });
}

TListState TGlyphCollection::CaptureState() const {
  TListState state;
  state.GlyphSize = glyphSize_;
  // Cells of another size than GlyphSize only exist in an empty list.
  state.Count = CellsMatchGlyphSize() ? ImageList1.Count() : 0;
  const std::size_t n = CellPixelCount(state);
  state.Pixels.resize(n * static_cast<std::size_t>(state.Count));
  for (int k = 0; k < state.Count; ++k) {
    const std::uint32_t* cell = ImageList1.CellPixels(k);
    std::copy(cell, cell + n, state.Pixels.begin() + static_cast<std::ptrdiff_t>(n * static_cast<std::size_t>(k)));
    if (const std::uint32_t* own = ImageList1.CellAlphaPixels(k)) {
      state.AlphaCells.resize(static_cast<std::size_t>(state.Count));
      state.AlphaCells[static_cast<std::size_t>(k)].assign(own, own + n);
    }
    state.Origins.push_back(Origin(k));
  }
  EnsureKeys();
  state.Keys.assign(keys_.begin(), keys_.begin() + state.Count);
  state.Selected.assign(static_cast<std::size_t>(state.Count), false);
  for (int k = 0; k < std::min(state.Count, Items.Count()); ++k)
    state.Selected[static_cast<std::size_t>(Items.Item(k).ImageIndex())] = Items.Item(k).Selected();
  return state;
}

void TGlyphCollection::RestoreState(const TListState& state) {
  if (state.GlyphSize != glyphSize_) {
    glyphSize_ = state.GlyphSize;
    ModeMenu.Check(glyphSize_);
  }
  TUpdateBracket bracket(Items);
  Items.Clear();
  ImageList1.Clear();
  ImageList1.SetWidth(glyphSize_);
  ImageList1.SetHeight(glyphSize_);
  ImageList1.AddCells(state.Pixels.data(), state.Count);
  for (std::size_t k = 0; k < state.AlphaCells.size(); ++k) ImageList1.SetCellAlpha(static_cast<int>(k), state.AlphaCells[k]);
  origins_ = state.Origins;
  keys_ = state.Keys;
  keys_.resize(static_cast<std::size_t>(state.Count));
  for (std::uint64_t& key : keys_)
    if (key == 0) key = ++lastKey_;
  RebuildNumberedItems();
  for (int k = 0; k < state.Count; ++k) Items.Item(k).SetSelected(state.Selected[static_cast<std::size_t>(k)]);
  ApplyGlyphSize();
  // A list emptied by the history may take any size again.
  if (state.Count == 0)
    for (int size : {16, 24, 32}) ModeMenu.SetEnabled(size, true);
}

void TGlyphCollection::PushStep(TListState state) {
  // A saved state among the steps to redo goes with them.
  if (savedDepth_ > static_cast<int>(undo_.size())) savedDepth_ = -1;
  undo_.push_back(std::move(state));
  redo_.clear();
  const int dropped = TrimHistory(undo_);
  if (savedDepth_ >= 0) savedDepth_ = savedDepth_ >= dropped ? savedDepth_ - dropped : -1;
}

void TGlyphCollection::RecordStep() {
  PushStep(CaptureState());
  StateChanged();
}

void TGlyphCollection::Commit(const TListState& before, const TListState& after) {
  PushStep(before);
  RestoreState(after);
  modified_ = true;
  StateChanged();
}

bool TGlyphCollection::Undo() {
  if (undo_.empty()) return false;
  redo_.push_back(CaptureState());
  TListState state = std::move(undo_.back());
  undo_.pop_back();
  RestoreState(state);
  modified_ = static_cast<int>(undo_.size()) != savedDepth_;
  StateChanged();
  return true;
}

bool TGlyphCollection::Redo() {
  if (redo_.empty()) return false;
  undo_.push_back(CaptureState());
  TListState state = std::move(redo_.back());
  redo_.pop_back();
  RestoreState(state);
  modified_ = static_cast<int>(undo_.size()) != savedDepth_;
  StateChanged();
  return true;
}

namespace {

bool AnySelected(const std::vector<TCell>& cells) {
  return std::any_of(cells.begin(), cells.end(), [](const TCell& cell) { return cell.Selected; });
}

}  // namespace

bool TGlyphCollection::DeleteSelected() {
  const TListState before = CaptureState();
  std::vector<TCell> cells = CellsOf(before);
  if (!AnySelected(cells)) return false;
  const auto first = static_cast<std::size_t>(
      std::find_if(cells.begin(), cells.end(), [](const TCell& cell) { return cell.Selected; }) - cells.begin());
  std::erase_if(cells, [](const TCell& cell) { return cell.Selected; });
  if (!cells.empty()) cells[std::min(first, cells.size() - 1)].Selected = true;
  Commit(before, StateOf(glyphSize_, cells));
  return true;
}

bool TGlyphCollection::MoveSelected(int step) {
  const TListState before = CaptureState();
  std::vector<TCell> cells = CellsOf(before);
  if (!AnySelected(cells) || (step != -1 && step != 1)) return false;
  bool moved = false;
  // Each selected glyph swaps with an unselected neighbour; a selected glyph at the end (or
  // behind one that could not move) stays, so a block keeps its shape.
  const int count = static_cast<int>(cells.size());
  for (int pass = 0; pass < count; ++pass) {
    const int k = step < 0 ? pass : count - 1 - pass;
    const int to = k + step;
    if (!cells[static_cast<std::size_t>(k)].Selected || to < 0 || to >= count) continue;
    if (cells[static_cast<std::size_t>(to)].Selected) continue;
    std::swap(cells[static_cast<std::size_t>(k)], cells[static_cast<std::size_t>(to)]);
    moved = true;
  }
  if (!moved) return false;
  Commit(before, StateOf(glyphSize_, cells));
  return true;
}

bool TGlyphCollection::MoveSelectedTo(int before) {
  const TListState was = CaptureState();
  std::vector<TCell> cells = CellsOf(was);
  if (!AnySelected(cells)) return false;
  before = std::clamp(before, 0, static_cast<int>(cells.size()));
  std::vector<TCell> moving, staying;
  int place = 0;  // where `before` lands among the glyphs that stay
  for (int k = 0; k < static_cast<int>(cells.size()); ++k) {
    const TCell& cell = cells[static_cast<std::size_t>(k)];
    if (cell.Selected) {
      moving.push_back(cell);
    } else {
      staying.push_back(cell);
      if (k < before) ++place;
    }
  }
  staying.insert(staying.begin() + place, moving.begin(), moving.end());
  const TListState after = StateOf(glyphSize_, staying);
  if (after.Pixels == was.Pixels && after.Origins == was.Origins && after.AlphaCells == was.AlphaCells) return false;
  Commit(was, after);
  return true;
}

bool TGlyphCollection::DuplicateSelected() {
  const TListState before = CaptureState();
  const std::vector<TCell> cells = CellsOf(before);
  if (!AnySelected(cells)) return false;
  std::vector<TCell> result;
  result.reserve(cells.size() * 2);
  for (const TCell& cell : cells) {
    result.push_back({cell.Pixels, cell.Origin, false, cell.Key, cell.Alpha});
    if (cell.Selected) result.push_back({cell.Pixels, {}, true, 0, cell.Alpha});
  }
  Commit(before, StateOf(glyphSize_, result));
  return true;
}

int TGlyphCollection::InsertionPoint() const {
  int point = Items.Count();
  for (int k = 0; k < Items.Count(); ++k)
    if (Items.Item(k).Selected()) point = k + 1;
  return point;
}

int TGlyphCollection::InsertStrip(const TBitmap& strip, int before) {
  const TBitmap* strips[] = {&strip};
  return InsertStrips(strips, before);
}

int TGlyphCollection::InsertStrips(std::span<const TBitmap* const> strips, int before) {
  if (strips.empty()) return 0;
  const bool empty = ImageList1.Count() == 0;
  const int size = empty ? strips.front()->Height() : glyphSize_;
  // Every strip is judged before anything changes.
  for (const TBitmap* strip : strips) {
    if (strip->Empty() || strip->Width() < strip->Height()) throw EInvalidOperation(texts::InvalidImageSize);
    if (strip->Height() != size)
      throw EInvalidOperation(FormatMessage(FormatMessage(texts::WrongStripHeight, strip->Height()), size));
  }
  // The strips' cells in the list's own format, through an image list of their size.
  TImageList cut;
  cut.SetWidth(size);
  cut.SetHeight(size);
  for (const TBitmap* strip : strips) cut.Add(*strip);
  const TListState was = CaptureState();
  std::vector<TCell> cells = CellsOf(was);
  for (TCell& cell : cells) cell.Selected = false;
  before = std::clamp(before, 0, static_cast<int>(cells.size()));
  std::vector<TCell> added;
  for (int k = 0; k < cut.Count(); ++k) added.push_back({cut.CellPixels(k), {}, true, 0, cut.CellAlphaPixels(k)});
  cells.insert(cells.begin() + before, added.begin(), added.end());
  Commit(was, StateOf(size, cells));
  return cut.Count();
}

bool TGlyphCollection::SelectedStrip(TBitmap& strip) const {
  std::vector<int> cells;
  for (int k = 0; k < Items.Count(); ++k)
    if (Items.Item(k).Selected()) cells.push_back(Items.Item(k).ImageIndex());
  if (cells.empty()) return false;
  strip.SetPixelFormat(TPixelFormat::pf24bit);
  strip.SetWidth(glyphSize_ * static_cast<int>(cells.size()));
  strip.SetHeight(glyphSize_);
  for (std::size_t k = 0; k < cells.size(); ++k)
    ImageList1.Draw(strip.Canvas(), glyphSize_ * static_cast<int>(k), 0, cells[k]);
  AttachCellAlpha(ImageList1, cells, Options.Encode, strip);
  return true;
}

}  // namespace gliffo
