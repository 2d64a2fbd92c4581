#include "formats/image_extent.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "formats/ico_codec.h"
#include "formats/little_endian.h"
#include "formats/png_codec.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo {

namespace {

// The chunk chain is walked through windows of this size, so a file of many small chunks takes
// few reads, and a large chunk is stepped over unread.
constexpr std::size_t WalkWindow = 64 * 1024;

// The file's first `extent` bytes (fewer where it ends sooner), reusing those already read.
std::vector<std::uint8_t> ReadThrough(const files::TInputFile& file, std::vector<std::uint8_t> head, bool headIsWholeFile,
                                      std::uint64_t extent) {
  if (extent <= head.size() || headIsWholeFile) {
    head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(extent, head.size())));
    return head;
  }
  if (const auto size = file.RegularSize()) extent = std::min(extent, std::max<std::uint64_t>(*size, head.size()));
  if (extent > std::numeric_limits<std::size_t>::max() / 2) ThrowOutOfResources();
  const std::size_t have = head.size();
  try {
    head.resize(static_cast<std::size_t>(extent));
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
  head.resize(have + file.ReadAt(head.data() + have, head.size() - have, have));
  return head;
}

}  // namespace

std::vector<std::uint8_t> ReadPngExtent(const files::TInputFile& file, std::vector<std::uint8_t> head, bool whole,
                                        bool headersOnly) {
  std::vector<std::uint8_t> window = head;
  std::uint64_t windowAt = 0;
  std::uint64_t at = png::SignatureSize;
  std::uint64_t extent = std::numeric_limits<std::uint64_t>::max();
  for (;;) {
    if (at + 8 > windowAt + window.size()) {
      if (whole) break;  // the chain runs past the file's end
      window.assign(WalkWindow, 0);
      window.resize(file.ReadAt(window.data(), window.size(), at));
      windowAt = at;
      if (window.size() < 8) break;
    }
    const std::uint8_t* chunk = window.data() + (at - windowAt);
    const std::uint32_t length = ReadBe32(chunk);
    // A length past 2^31 - 1 breaks the chain: the decoder says so.
    if (length > 0x7FFFFFFFu) break;
    if (headersOnly && std::memcmp(chunk + 4, "IDAT", 4) == 0) {
      extent = at + 8;
      break;
    }
    at += 12 + std::uint64_t{length};
    if (std::memcmp(chunk + 4, "IEND", 4) == 0) {
      extent = at;
      break;
    }
  }
  return ReadThrough(file, std::move(head), whole, extent);
}

std::vector<std::uint8_t> ReadIcoExtent(const files::TInputFile& file, std::vector<std::uint8_t> head, bool whole) {
  // The directory stands in the first bytes; a head too short for it is read on to the window.
  if (!whole && head.size() < WalkWindow) {
    const std::size_t have = head.size();
    head.resize(WalkWindow);
    head.resize(have + file.ReadAt(head.data() + have, WalkWindow - have, have));
    whole = head.size() < WalkWindow;
  }
  constexpr std::uint64_t Unknown = std::numeric_limits<std::uint64_t>::max();
  if (head.size() < ico::DirectoryHeaderSize) return ReadThrough(file, std::move(head), whole, Unknown);
  const int count = ReadLe16(head.data() + 4);
  const std::uint64_t directoryEnd = ico::DirectoryHeaderSize + std::uint64_t(count) * ico::DirectoryEntrySize;
  // A directory the decoder refuses (too many entries, or cut short) needs nothing more.
  if (count > ico::MaxEntries || directoryEnd > head.size())
    return ReadThrough(file, std::move(head), whole, std::min<std::uint64_t>(directoryEnd, head.size()));
  std::uint64_t extent = directoryEnd;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* entry = head.data() + ico::DirectoryHeaderSize + static_cast<std::size_t>(i) * ico::DirectoryEntrySize;
    extent = std::max(extent, std::uint64_t{ReadLe32(entry + 12)} + ReadLe32(entry + 8));
  }
  return ReadThrough(file, std::move(head), whole, extent);
}

}  // namespace gliffo
