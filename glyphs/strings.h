#pragma once
// Texts of the glyph core that the user sees. Each text lives here once, so tests compare
// against the same constant the program uses.
#include "platform/strings.h"

namespace gliffo::texts {

inline constexpr const char* InvalidPixelFormat = "Invalid pixel format";
inline constexpr const char* BitmapImageIsNotValid = "Bitmap image is not valid";
inline constexpr const char* Win32Error = "Win32 Error.  Code: %d.\n%s";

inline constexpr const char* InvalidImageSize = "Invalid image size";
inline constexpr const char* UnableToReplaceImage = "Unable to Replace Image";

inline constexpr const char* NoBitmapSelected = "No bitmap selected!";
inline constexpr const char* SelectOnlyOneBitmap = "Select only one bitmap!";
inline constexpr const char* SelectTwoOrMoreFiles = "Select 2 or more files!";
inline constexpr const char* ReplaceExistingFile = "Replace Existing File?";
inline constexpr const char* ClearViewer = "Clear Viewer?";

inline constexpr const char* CollectionFilter = "Bitmap Collection|*.gbc";
inline constexpr const char* SaveFilter = "Bitmap Collection|*.gbc|BMP Files|*.bmp";
inline constexpr const char* CollectionExtension = "gbc";
inline constexpr const char* BitmapExtension = "bmp";

}  // namespace gliffo::texts
