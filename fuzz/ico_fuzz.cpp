// Feeds arbitrary bytes to the icon reader. Beyond "no crash, no leak, no sanitizer report",
// every entry of a directory it accepts must decode (or be refused with the program's own
// error) to a picture of the size the directory says.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "glyphs/bitmap.h"
#include "formats/ico_codec.h"
#include "platform/errors.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gliffo;
  const std::span<const std::uint8_t> bytes(data, size);
  try {
    const std::vector<ico::IcoEntry> entries = ico::ParseDirectory(bytes);
    Check(!entries.empty() && entries.size() <= static_cast<std::size_t>(ico::MaxEntries));
    for (const ico::IcoEntry& e : entries) {
      try {
        const auto image = ico::DecodeEntry(bytes, e);
        Check(image != nullptr && image->Width == e.Width && image->AbsHeight() == e.Height);
      } catch (const gliffo::Exception&) {
        // A PNG entry's pixels are only judged when decoded.
      }
    }
    TDecodeOptions options;
    options.PreferredSize = 16;
    ico::Decode(bytes, options);
  } catch (const gliffo::Exception&) {
    // Refusals are fine; they just have to be the program's own errors.
  }
  return 0;
}
