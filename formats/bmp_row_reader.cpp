#include "formats/bmp_row_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "formats/strings.h"
#include "platform/errors.h"

namespace gliffo::bmp {

namespace {

constexpr std::size_t SmallFileBytes = TBmpRowReader::HeadBytes;

// One reader per thread, so a folder of glyph files reuses its buffer.
TBmpRowReader& ThreadReader() {
  static thread_local TBmpRowReader reader;
  return reader;
}

}  // namespace

std::shared_ptr<TBitmapImage> LoadFile(const std::string& fileName) {
  TBmpRowReader& reader = ThreadReader();
  reader.Open(fileName);
  return reader.TakeImage();
}

std::shared_ptr<TBitmapImage> LoadFile(const files::TInputFile& file) {
  TBmpRowReader& reader = ThreadReader();
  reader.Open(file);
  return reader.TakeImage();
}

TBmpRowReader::TBmpRowReader() = default;
TBmpRowReader::~TBmpRowReader() { Close(); }

void TBmpRowReader::Close() {
  file_ = nullptr;
  owned_.reset();
  whole_.reset();
  inMemory_ = false;
  width_ = height_ = 0;
}

void TBmpRowReader::Open(const std::string& fileName) {
  Close();
  try {
    file_ = &owned_.emplace(fileName);
    ReadHeaders();
  } catch (...) {
    Close();  // a refused file leaves nothing open
    throw;
  }
}

void TBmpRowReader::Open(const files::TInputFile& file) {
  Close();
  try {
    file_ = &file;
    ReadHeaders();
  } catch (...) {
    Close();
    throw;
  }
}

void TBmpRowReader::Open(const files::TInputFile& file, THeadBuffer& head, std::size_t have) {
  Close();
  try {
    file_ = &file;
    small_.swap(head);
    small_.resize(SmallFileBytes);
    ParseHeaders(have);
  } catch (...) {
    Close();
    throw;
  }
}

void TBmpRowReader::ReadHeaders() {
  small_.resize(SmallFileBytes);
  ParseHeaders(file_->ReadHead(small_.data(), small_.size()));
}

void TBmpRowReader::ParseHeaders(std::size_t have) {
  // As LoadFile: a small file is read whole, a larger one by its headers first.
  if (have < small_.size()) {
    if (have == 0) return;  // an empty file makes an empty image
    const std::span<const std::uint8_t> bytes(small_.data(), have);
    header_ = ParseHeader(bytes);
    inMemory_ = true;
  } else {
    const std::optional<std::uint64_t> size = file_->OpenedSize();
    if (!size) {
      whole_ = Decode(file_->ReadAll(0));
      if (!whole_) return;
    } else {
      // The headers lie in the bytes already read: a larger file is read on from its pixels.
      const std::size_t got = std::min<std::size_t>(static_cast<std::size_t>(std::min<std::uint64_t>(*size, have)), MaxHeaderBytes);
      if (got == 0) return;
      header_ = ParseHeader(std::span<const std::uint8_t>(small_.data(), got), got < MaxHeaderBytes ? got : static_cast<std::size_t>(*size));
    }
  }
  if (whole_) {
    width_ = whole_->Width;
    height_ = whole_->AbsHeight();
    return;
  }
  // The limit a store of these pixels would meet. Run-length data is decoded only when its
  // rows are asked for, so a caller can judge the file by its size first.
  const std::int64_t stride = IsRle(header_) ? std::int64_t{header_.Width} * 4 : raster::DibStride(header_.Width, header_.BitCount);
  if (stride < 0 || stride > MaxStoreBytes / header_.AbsHeight()) ThrowOutOfResources();
  width_ = header_.Width;
  height_ = header_.AbsHeight();
}

void TBmpRowReader::DecodeRunLengths() {
  if (whole_ || !IsRle(header_) || width_ == 0) return;
  if (inMemory_) {
    whole_ = DecodePixels(header_, std::span<const std::uint8_t>(small_).subspan(header_.PixelOffset, header_.PixelBytes));
    return;
  }
  std::vector<std::uint8_t> data;
  try {
    data.resize(header_.PixelBytes);
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
  data.resize(file_->ReadAt(data.data(), data.size(), header_.PixelOffset));
  whole_ = DecodePixels(header_, data);
}

std::shared_ptr<TBitmapImage> TBmpRowReader::TakeImage() {
  std::shared_ptr<TBitmapImage> image;
  try {
    DecodeRunLengths();
    image = whole_;
    if (!image && width_ > 0) {
      image = NewDibStore(header_);
      // A short file leaves zeros.
      const std::size_t wanted = std::min(header_.PixelBytes, image->Bits.size());
      if (inMemory_) std::memcpy(image->Bits.data(), small_.data() + header_.PixelOffset, wanted);
      else file_->ReadAt(image->Bits.data(), wanted, header_.PixelOffset);
      AttachAlpha(header_, *image);
    }
  } catch (...) {
    Close();
    throw;
  }
  Close();
  return image;
}

raster::Surface TBmpRowReader::Band(int firstRow, std::size_t bandBytes) {
  DecodeRunLengths();
  if (whole_) return whole_->Surface();
  const auto stride = static_cast<std::size_t>(raster::DibStride(width_, header_.BitCount));
  const int rows = static_cast<int>(std::clamp<std::size_t>(bandBytes / stride, 1, static_cast<std::size_t>(height_ - firstRow)));
  // Rows [firstRow, firstRow + rows) counted from the top; a bottom-up file stores them the
  // other way round, from its last row.
  const bool bottomUp = header_.Height > 0;
  const std::size_t firstStored = static_cast<std::size_t>(bottomUp ? height_ - firstRow - rows : firstRow);
  const std::size_t offset = firstStored * stride;
  const std::size_t bytes = static_cast<std::size_t>(rows) * stride;
  // Pixel bytes the file lacks read as zero, as in a store.
  const std::size_t present = offset < header_.PixelBytes ? std::min(bytes, header_.PixelBytes - offset) : 0;
  std::uint8_t* bits = nullptr;
  if (inMemory_ && present == bytes) {
    bits = small_.data() + header_.PixelOffset + offset;
  } else {
    try {
      band_.resize(bytes);
    } catch (const std::bad_alloc&) {
      ThrowOutOfResources();
    }
    std::size_t got = 0;
    if (inMemory_) {
      std::memcpy(band_.data(), small_.data() + header_.PixelOffset + offset, present);
      got = present;
    } else if (present > 0) {
      got = file_->ReadAt(band_.data(), present, header_.PixelOffset + offset);
    }
    std::memset(band_.data() + got, 0, bytes - got);
    bits = band_.data();
  }
  raster::Surface s;
  s.Bits = bits;
  s.Width = width_;
  s.Height = rows;
  s.Stride = static_cast<std::ptrdiff_t>(stride);
  s.BottomUp = bottomUp;
  s.BitCount = header_.BitCount;
  if (header_.BitCount > 8 && header_.Compression == BI_BITFIELDS) {
    s.RedMask = header_.RedMask;
    s.GreenMask = header_.GreenMask;
    s.BlueMask = header_.BlueMask;
  }
  if (header_.BitCount <= 8) {
    s.Table = header_.ColorTable.data();
    s.TableSize = static_cast<int>(header_.ColorTable.size());
  }
  return s;
}

}  // namespace gliffo::bmp
