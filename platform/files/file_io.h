#pragma once
// Whole files in and out: reading a file at once or piece by piece at given offsets, and
// writing one so that a failed write never destroys the file it replaces, nor takes its owner,
// its links or a special file's nature from it. Nothing here knows what the bytes mean.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <utility>
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
  // Reads the file's first bytes, up to count: fewer only when the file (as it was when opened)
  // holds fewer, and then all of it. A small file takes one read rather than a second one that
  // finds its end.
  std::size_t ReadHead(std::uint8_t* to, std::size_t count) const;
  // Reads from the start to the end of the file, expecting about sizeHint bytes; files that
  // report no size (or grew) are read on to their end. EOutOfResources when it cannot be held.
  std::vector<std::uint8_t> ReadAll(std::size_t sizeHint) const;
  // The size of a regular file; nothing for a pipe, a device and the like.
  std::optional<std::uint64_t> RegularSize() const;
  // The size RegularSize gave when the file was opened, without asking the system again: a
  // reader of many small files asks once a file.
  std::optional<std::uint64_t> OpenedSize() const { return openSize_; }
  // True when a pipe was read whole; ReopenName then names the copy, which opens as a regular
  // file for as long as this object lives. Standard input that is a regular file is reopened
  // the same way, by its descriptor. Otherwise ReopenName is the name given.
  bool HeldWhole() const { return held_; }
  std::string ReopenName() const;

 private:
  TInputFile() = default;
  void HoldWhole(int from, std::uint64_t pipeLimit);

  std::string fileName_;
  int fd_ = -1;
  bool held_ = false;
  bool standardInput_ = false;
  std::optional<std::uint64_t> openSize_;  // the size when opened
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
  // Whether the file is saved through an unnamed temporary, which a crash or a kill leaves no
  // trace of, and which CommitFlushed can give its name once its bytes are known to be on disk.
  bool Deferrable() const;
  // Commit, for a file whose bytes the caller has flushed to disk (see TSafeFileBatch).
  void CommitFlushed();
  int Descriptor() const { return fd_; }

 private:
  enum class TWay { Replace, Overwrite, Direct };
  void CommitReplace(bool flushed = false);
  void CommitOverwrite();
  [[noreturn]] void CannotCreate() const;

  std::string fileName_, target_, folder_;
  std::string named_;  // a named temporary where the folder takes no unnamed one, else ""
  TWay way_ = TWay::Replace;
  bool existed_ = false;  // the target, when the temporary was made
  std::uint64_t written_ = 0;
  int fd_ = -1;
};

// Saves many files, each with the guarantee of TSafeFileWriter, for far fewer flushes to disk:
// the files are written to unnamed temporaries a group at a time, the group is flushed to disk
// at once (syncfs), and only then does each temporary take its name. A crash leaves every name
// holding its old file or its whole new one, as saving them one by one would. Files the safe
// writer must treat otherwise (hard links, devices, folders without unnamed temporaries) are
// saved at once, as WriteWholeFile saves them. An error is about the file it names, which
// stays as it was; the files given before it are saved all the same.
class TSafeFileBatch {
 public:
  // onSaved, when given, hears of every file once it holds its new bytes, in the order saved.
  explicit TSafeFileBatch(std::function<void(const std::string&)> onSaved = {});
  ~TSafeFileBatch();  // drops the temporaries of files not committed: their names keep their files
  TSafeFileBatch(const TSafeFileBatch&) = delete;
  TSafeFileBatch& operator=(const TSafeFileBatch&) = delete;

  void Save(const std::string& fileName, std::span<const std::uint8_t> bytes);
  // Saves the files still waiting.
  void Commit();

  // Files flushed together at most. A group holds two descriptors a file, and the group before
  // it one more while it is let go, so a group is at most a quarter of the descriptors the
  // process may open: 256 for the usual limit of 1024, fewer below it.
  static constexpr std::size_t GroupSize = 256;

 private:
  void LetGo(std::vector<int> files);

  std::vector<std::pair<std::string, std::unique_ptr<TSafeFileWriter>>> waiting_;
  std::function<void(const std::string&)> onSaved_;
  std::size_t groupSize_ = GroupSize;
  std::vector<int> letGo_;  // the replaced files releaser_ closes
  std::thread releaser_;
};

// Removes the named temporaries of saves under way. Only async-signal-safe calls: a program's
// SIGINT or SIGTERM handler calls it before it dies, so a kill leaves nothing beside a target
// even on a file system that takes no unnamed temporaries.
void RemovePendingTemporaries() noexcept;

}  // namespace gliffo::files
