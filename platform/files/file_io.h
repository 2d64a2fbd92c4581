#pragma once
// Whole files in and out: reading a file at once or piece by piece at given offsets, and
// writing one so that a failed write never destroys the file it replaces, nor takes its owner,
// its links or a special file's nature from it. Nothing here knows what the bytes mean.
#include <cstdint>
#include <memory>
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
  // Only a regular file (or a link to one) is opened: anything else is refused without waiting
  // on it (a FIFO would block, a device read on without end).
  explicit TInputFile(const std::string& fileName);
  // The same, except that a pipe or a FIFO (one a person named, such as a shell's <(...)) is
  // read whole, waiting for its writer, into an unnamed file in memory that then stands for it.
  // EOutOfResources when it holds more than pipeLimit bytes. Devices are still refused.
  TInputFile(const std::string& fileName, std::uint64_t pipeLimit);
  // Standard input, taken as the constructor above takes a named file.
  static std::unique_ptr<TInputFile> StandardInput(std::uint64_t pipeLimit);
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
  // True when a pipe was read whole; ReopenName then names the copy, which opens as a regular
  // file for as long as this object lives. Otherwise ReopenName is the name given.
  bool HeldWhole() const { return held_; }
  std::string ReopenName() const;

 private:
  TInputFile() = default;
  void HoldWhole(int from, std::uint64_t pipeLimit);

  std::string fileName_;
  int fd_ = -1;
  bool held_ = false;
};

// Reads a whole file at once; raises what TInputFile raises.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName);

// Writes a file so that a failed save never destroys the previous one (TSafeFileWriter).
// EFCreateError "Cannot create file %s" when it cannot be created, EWriteError "Stream write
// error" when a write fails.
void WriteWholeFile(const std::string& fileName, std::span<const std::uint8_t> bytes);
// The same for bytes in several pieces, written one after the other.
void WriteWholeFile(const std::string& fileName, std::span<const std::span<const std::uint8_t>> parts);

// A file written piece by piece, the way every save writes:
// - A regular file (or a link to one, which stays a link) is written into an unnamed temporary
//   file in its folder that takes its name only on Commit, once every byte is on disk; it keeps
//   the old file's permissions, owner and group. Left without Commit (a failed write, an
//   exception, a kill), the temporary vanishes and the target stays as it was. A file with
//   more than one hard link is overwritten in place on Commit instead, so its links keep
//   sharing it (see Commit for how that stays safe).
// - A name that does not exist, or a link that points at nothing, creates the file named.
// - Anything else (a device such as /dev/null, a FIFO, a socket, /dev/stdout and every other
//   link into /proc) is written directly: it cannot be replaced, and must not be.
// Raises the errors WriteWholeFile raises.
class TSafeFileWriter {
 public:
  explicit TSafeFileWriter(const std::string& fileName);
  ~TSafeFileWriter();
  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;
  void Write(std::span<const std::uint8_t> bytes);
  void Commit();

 private:
  enum class TWay { Replace, Overwrite, Direct };
  void CommitReplace();
  void CommitOverwrite();
  [[noreturn]] void CannotCreate() const;

  std::string fileName_, target_, folder_;
  std::string named_;  // a named temporary where the folder takes no unnamed one, else ""
  TWay way_ = TWay::Replace;
  std::uint64_t written_ = 0;
  int fd_ = -1;
};

// Removes the named temporaries of saves under way. Only async-signal-safe calls: a program's
// SIGINT or SIGTERM handler calls it before it dies, so a kill leaves nothing beside a target
// even on a file system that takes no unnamed temporaries.
void RemovePendingTemporaries() noexcept;

}  // namespace gliffo::files
