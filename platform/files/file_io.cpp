#include "platform/files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>

#include "platform/errors.h"
#include "platform/strings.h"

namespace gliffo::files {

namespace {

[[noreturn]] void ReadFailed() { throw EReadError(texts::StreamReadError); }

void WriteAllOrThrow(int fd, const std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    const ssize_t put = ::write(fd, data, count);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw EWriteError(texts::StreamWriteError);
    }
    data += put;
    count -= static_cast<std::size_t>(put);
  }
}

}  // namespace

TInputFile::TInputFile(const std::string& fileName) : fileName_(fileName) {
  // Without waiting: a FIFO or a device is refused, never read (a FIFO would block, a device
  // read on without end).
  fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw EFOpenError(FormatMessage(texts::CannotOpenFile, fileName));
  struct stat kind {};
  if (::fstat(fd_, &kind) != 0 || !S_ISREG(kind.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw EFOpenError(FormatMessage(texts::CannotOpenFile, fileName));
  }
}

TInputFile::~TInputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t TInputFile::ReadAt(std::uint8_t* to, std::size_t count, std::uint64_t offset) const {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd_, to + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      // Opening a folder succeeds; only reading it tells.
      if (errno == EISDIR) throw EFOpenError(FormatMessage(texts::CannotOpenFile, fileName_));
      ReadFailed();
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::vector<std::uint8_t> TInputFile::ReadAll(std::size_t sizeHint) const {
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(sizeHint);
    const std::size_t have = ReadAt(bytes.data(), sizeHint, 0);
    bytes.resize(have);
    if (have < sizeHint) return bytes;
    std::uint8_t chunk[65536];
    for (;;) {
      const std::size_t got = ReadAt(chunk, sizeof chunk, bytes.size());
      if (got == 0) break;
      bytes.insert(bytes.end(), chunk, chunk + got);
    }
  } catch (const std::bad_alloc&) {
    throw EOutOfResources(texts::OutOfSystemResources);
  }
  return bytes;
}

std::optional<std::uint64_t> TInputFile::RegularSize() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode)) throw EFOpenError(FormatMessage(texts::CannotOpenFile, fileName_));
  if (!S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName) {
  const TInputFile file(fileName);
  return file.ReadAll(static_cast<std::size_t>(file.RegularSize().value_or(0)));
}

void WriteWholeFile(const std::string& fileName, std::span<const std::uint8_t> bytes) {
  const std::span<const std::uint8_t> parts[1] = {bytes};
  WriteWholeFile(fileName, std::span<const std::span<const std::uint8_t>>(parts));
}

void WriteWholeFile(const std::string& fileName, std::span<const std::span<const std::uint8_t>> parts) {
  TSafeFileWriter file(fileName);
  for (const auto& part : parts) file.Write(part);
  file.Commit();
}

TSafeFileWriter::TSafeFileWriter(const std::string& fileName) : fileName_(fileName) {
  // Replace what a symbolic link points at, not the link.
  target_ = fileName;
  if (char* resolved = ::realpath(fileName.c_str(), nullptr)) {
    struct stat linkInfo {};
    if (::lstat(fileName.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) target_ = resolved;
    std::free(resolved);
  }
  struct stat old {};
  const bool replacing = ::stat(target_.c_str(), &old) == 0;
  if (replacing && S_ISDIR(old.st_mode)) throw EFCreateError(FormatMessage(texts::CannotCreateFile, fileName));

  temp_ = target_ + ".XXXXXX";
  fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
  if (fd_ < 0) throw EFCreateError(FormatMessage(texts::CannotCreateFile, fileName));
  // A new file gets the usual permissions; a replaced one keeps its own.
  mode_t mode = 0;
  if (replacing) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
}

TSafeFileWriter::~TSafeFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlink(temp_.c_str());
}

void TSafeFileWriter::Write(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) throw EWriteError(texts::StreamWriteError);
  WriteAllOrThrow(fd_, bytes.data(), bytes.size());
}

void TSafeFileWriter::Commit() {
  if (fd_ < 0) throw EWriteError(texts::StreamWriteError);
  if (::fsync(fd_) != 0) throw EWriteError(texts::StreamWriteError);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw EWriteError(texts::StreamWriteError);
  // The data is on disk before the rename, so after a crash the name holds either the old
  // file or the whole new one.
  if (::rename(temp_.c_str(), target_.c_str()) != 0)
    throw EFCreateError(FormatMessage(texts::CannotCreateFile, fileName_));
  committed_ = true;
}

}  // namespace gliffo::files
