#pragma once
// What a file's headers say, in the same words for every format.
#include <cstdint>

namespace gliffo {

// Read before any pixel is decoded.
struct TImageHeader {
  int Width = 0;   // of the picture a load takes
  int Height = 0;  // absolute
  // Bits per pixel of the store it loads as; DeviceBitCount for the device-dependent format.
  int BitCount = 0;
  int Entries = 1;  // pictures in the file (an icon's sizes)
  // Pixel bytes the file ends before: they load as zeros.
  std::uint64_t MissingBytes = 0;
};

}  // namespace gliffo
