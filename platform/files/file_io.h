#pragma once
// Whole files in and out: reading a file at once or piece by piece at given offsets, and
// writing one so that a failed write never destroys the file it replaces. Nothing here knows
// what the bytes mean.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gliffo::files {

// A file open for reading. EFOpenError "Cannot open file %s" when it cannot be opened (a
// folder opened by name counts as that too, whenever it is found out); EReadError "Stream read
// error" when a read fails.
class TInputFile {
 public:
  explicit TInputFile(const std::string& fileName);
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  // Reads up to count bytes at offset; fewer only at the end of the file.
  std::size_t ReadAt(std::uint8_t* to, std::size_t count, std::uint64_t offset) const;
  // Reads from the start to the end of the file, expecting about sizeHint bytes; files that
  // report no size (or grew) are read on to their end. EOutOfResources when it cannot be held.
  std::vector<std::uint8_t> ReadAll(std::size_t sizeHint) const;
  // The size of a regular file; nothing for a pipe, a device and the like.
  std::optional<std::uint64_t> RegularSize() const;

 private:
  std::string fileName_;
  int fd_ = -1;
};

// Reads a whole file at once; raises what TInputFile raises.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName);

// Writes a file by writing a temporary file beside it and renaming it over the target only
// when complete, so a failed save never destroys the previous file. EFCreateError "Cannot
// create file %s" when it cannot be created, EWriteError "Stream write error" when a write fails.
void WriteWholeFile(const std::string& fileName, std::span<const std::uint8_t> bytes);
// The same for bytes in several pieces, written one after the other.
void WriteWholeFile(const std::string& fileName, std::span<const std::span<const std::uint8_t>> parts);

// A file written piece by piece as WriteWholeFile writes it: into a temporary file beside the
// target, renamed over it by Commit once every byte is on disk. Left without Commit (a failed
// write, an exception), it removes the temporary and the target stays as it was. Raises the
// errors WriteWholeFile raises.
class TSafeFileWriter {
 public:
  explicit TSafeFileWriter(const std::string& fileName);
  ~TSafeFileWriter();
  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;
  void Write(std::span<const std::uint8_t> bytes);
  void Commit();

 private:
  std::string fileName_, target_, temp_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace gliffo::files
