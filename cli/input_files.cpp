// Inputs of the jobs judged by their headers before anything is loaded.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <limits>

#include "cli/commands.h"
#include "glyphs/strings.h"
#include "platform/errors.h"

namespace gliffo::cli {

namespace {

constexpr const char* FileIsEmpty = "the file is empty";

// Every header, the masks and the largest colour table fit in this many bytes.
constexpr std::size_t HeaderBytes = 14 + 124 + 16 + 256 * 4;

struct Descriptor {
  int Fd;
  ~Descriptor() {
    if (Fd >= 0) ::close(Fd);
  }
};

}  // namespace

InputHeader ReadInputHeader(const std::string& fileName) {
  return AboutFile(fileName, [&] {
    const auto cannotOpen = [&] { return EFOpenError(FormatMessage(texts::CannotOpenFile, fileName)); };
    Descriptor file{::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    struct stat info {};
    if (file.Fd < 0 || ::fstat(file.Fd, &info) != 0 || !S_ISREG(info.st_mode)) throw cannotOpen();
    InputHeader input;
    input.FileSize = static_cast<std::uint64_t>(info.st_size);
    std::vector<std::uint8_t> head;
    std::size_t got = 0;
    const auto readUpTo = [&](std::uint64_t size) {
      head.resize(static_cast<std::size_t>(size));
      while (got < head.size()) {
        const ssize_t n = ::pread(file.Fd, head.data() + got, head.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EReadError(texts::StreamReadError);
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
      }
      head.resize(got);
    };
    readUpTo(std::min<std::uint64_t>(input.FileSize, HeaderBytes));
    if (head.empty()) return input;
    input.Empty = false;
    if (png::IsPng(head)) {
      // The chunks before the pixel data may lie anywhere in the file: it is read whole, but
      // nothing is inflated.
      readUpTo(input.FileSize);
      input.Png = true;
      input.PngHeader = png::ParseHeader(head);
      return input;
    }
    input.Header = bmp::ParseHeader(head, got < HeaderBytes ? got : static_cast<std::size_t>(input.FileSize));
    return input;
  });
}

void ThrowEmptyInput(const std::string& fileName) { ThrowAboutFile(fileName, EInvalidGraphic(FileIsEmpty)); }

InputHeader CheckInput(const std::string& fileName, bool refuseEmpty) {
  const InputHeader input = ReadInputHeader(fileName);
  if (input.Empty) {
    if (refuseEmpty) ThrowEmptyInput(fileName);
    return input;
  }
  if (input.Png) return input;
  const bmp::BmpHeader& h = input.Header;
  // Run-length data has no size of its own to compare with.
  if (h.Compression != BI_RLE8 && h.Compression != BI_RLE4) {
    const std::uint64_t stride = static_cast<std::uint64_t>(raster::DibStride(h.Width, h.BitCount));
    const std::uint64_t wanted = stride * static_cast<std::uint64_t>(h.AbsHeight());
    const std::uint64_t left = input.FileSize > h.PixelOffset ? input.FileSize - h.PixelOffset : 0;
    if (left < wanted)
      std::cerr << "gliffo-tool: " << fileName << ": warning: the file ends " << (wanted - left)
                << " bytes before its last pixel; the missing pixels load as zeros\n";
  }
  return input;
}

}  // namespace gliffo::cli
