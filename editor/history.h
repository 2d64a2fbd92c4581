#pragma once
// The steps of an editing session, beside the one-level Undo: every change of the surface and
// the glyph is a named step, and the editor can go back to any of them and forward again.
//
// A step keeps the glyph after it whole (a few kilobytes; the History window draws it) and of
// the 256 × 256 surface only the rectangle the step changed, before and after, run-length
// coded. Figures on an enlarged glyph are long runs of one colour, so a stroke costs a few
// kilobytes where a copy of the surface would cost a quarter of a megabyte.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/types.h"

namespace gliffo {

class TEditHistory {
 public:
  // Steps kept at most, and the memory beyond which the oldest steps go while more than
  // MinSteps remain.
  static constexpr int MaxSteps = 1000;
  static constexpr int MinSteps = 200;
  static constexpr std::size_t MaxBytes = std::size_t{24} << 20;

  // Forgets every step: the surface and glyph as they are become the first entry, the kept one.
  void Reset(const std::string& name, const TBitmap& surface, const TBitmap& glyph);
  // A change happened: drops the steps ahead, keeps what changed on the surface since the
  // current entry and the glyph as it is now.
  void Record(const std::string& name, const TBitmap& surface, const TBitmap& glyph);

  // Entries: 0 is where the history starts, then one per step; Position is the one shown.
  int Count() const { return static_cast<int>(steps_.size()); }
  int Position() const { return position_; }
  const std::string& Name(int index) const { return steps_.at(static_cast<std::size_t>(index)).Name; }
  const TBitmap& Glyph(int index) const { return *steps_.at(static_cast<std::size_t>(index)).Glyph; }

  // Brings surface and glyph to entry `index` (clamped); returns the surface area rewritten
  // (empty when nothing moved).
  TRect GoTo(int index, TBitmap& surface, TBitmap& glyph);

  // The bytes the steps hold of their own: coded surface pieces and glyph pixels.
  std::size_t BytesHeld() const { return bytes_; }

  // Where the glyph was last kept (saved, put into the list, or taken as it is from a file or
  // the list): the entry shown then. Going back or forward to it makes the glyph unmodified
  // again; a change made after going back from it leaves it behind for good.
  void MarkSaved() {
    saved_ = position_;
    ++changes_;
  }
  bool AtSaved() const { return saved_ == position_; }
  // No entry holds the kept glyph (work brought back from a recovery copy).
  void MarkUnsaved() {
    saved_ = -1;
    ++changes_;
  }
  // Goes up with every step recorded, every move through the history and every save, so a
  // watcher can tell cheaply whether anything happened since it last looked.
  std::uint64_t Changes() const { return changes_; }

 private:
  // Surface bytes of one rectangle, row after row, as runs of equal pixels: a count of up to
  // 255 and the pixel's bytes.
  struct TPatch {
    TRect Area;
    std::vector<std::uint8_t> Before, After;
    std::size_t Bytes() const { return Before.capacity() + After.capacity(); }
  };
  struct TStep {
    std::string Name;
    TPatch Patch;
    std::unique_ptr<TBitmap> Glyph = std::make_unique<TBitmap>();
    std::size_t GlyphBytes = 0;
  };

  static std::size_t GlyphBytesOf(const TBitmap& glyph);
  void Drop(TStep& step);

  std::deque<TStep> steps_;
  int position_ = 0;
  int saved_ = 0;  // the entry last kept; -1 when no entry holds it any more
  std::uint64_t changes_ = 0;
  // The surface of the current entry, sharing the editor's pixels until either is written.
  TBitmap current_;
  std::size_t bytes_ = 0;
};

}  // namespace gliffo
