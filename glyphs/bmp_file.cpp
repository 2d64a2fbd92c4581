#include "glyphs/bmp_file.h"

#include "platform/errors.h"

// Placeholder until the reader and writer land.
namespace gliffo::bmp {
BmpHeader ParseHeader(std::span<const std::uint8_t>) { throw EInvalidGraphic("not yet"); }
std::shared_ptr<TBitmapImage> Decode(std::span<const std::uint8_t>) { throw EInvalidGraphic("not yet"); }
std::vector<std::uint8_t> Encode(const TBitmapImage&) { throw EInvalidGraphic("not yet"); }
std::vector<std::uint8_t> ReadWholeFile(const std::string&) { throw EInvalidGraphic("not yet"); }
void WriteWholeFile(const std::string&, std::span<const std::uint8_t>) { throw EInvalidGraphic("not yet"); }
}  // namespace gliffo::bmp
