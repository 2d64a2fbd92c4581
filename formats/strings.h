#pragma once
// Texts of the image formats that the user sees. Each text lives here once, so tests compare
// against the same constant the program uses.
#include "platform/strings.h"

namespace gliffo::texts {

inline constexpr const char* BitmapImageIsNotValid = "Bitmap image is not valid";
// %s is libspng's own word for what is wrong ("CRC mismatch", "invalid signature", ...).
inline constexpr const char* PngImageIsNotValid = "PNG image is not valid: %s";
// %s says what is wrong ("an entry lies past the end of the file", ...).
inline constexpr const char* IconImageIsNotValid = "Icon image is not valid: %s";
// %s is the offending picture's size ("16x24").
inline constexpr const char* IconPictureSize = "An icon holds square pictures of 1 to 256 pixels, not %s";

}  // namespace gliffo::texts
