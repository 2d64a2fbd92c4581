#include "platform/files/file_io.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>
#include <thread>

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
  openSize_ = static_cast<std::uint64_t>(kind.st_size);
}

TInputFile::TInputFile(const std::string& fileName, std::uint64_t pipeLimit) : fileName_(fileName) {
  const auto cannotOpen = [&] { return EFOpenError(FormatMessage(texts::CannotOpenFile, fileName)); };
  fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw cannotOpen();
  struct stat kind {};
  const bool known = ::fstat(fd_, &kind) == 0;
  if (known && S_ISREG(kind.st_mode)) {
    openSize_ = static_cast<std::uint64_t>(kind.st_size);
    return;
  }
  if (!known || !S_ISFIFO(kind.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw cannotOpen();
  }
  // Kept open as it is: closed and opened again to wait for the writer, a FIFO would lose
  // what a writer quick enough put in it and left between the two. HoldWhole waits instead.
  const int pipe = fd_;
  fd_ = -1;
  try {
    HoldWhole(pipe, pipeLimit);
  } catch (...) {
    ::close(pipe);
    throw;
  }
  ::close(pipe);
}

std::unique_ptr<TInputFile> TInputFile::StandardInput(std::uint64_t pipeLimit) {
  std::unique_ptr<TInputFile> file(new TInputFile());
  file->fileName_ = "-";
  file->standardInput_ = true;
  struct stat kind {};
  if (::fstat(STDIN_FILENO, &kind) != 0) throw EFOpenError(FormatMessage(texts::CannotOpenFile, file->fileName_));
  if (S_ISREG(kind.st_mode)) {
    file->fd_ = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (file->fd_ < 0) throw EFOpenError(FormatMessage(texts::CannotOpenFile, file->fileName_));
    file->openSize_ = static_cast<std::uint64_t>(kind.st_size);
  } else if (S_ISFIFO(kind.st_mode) || S_ISSOCK(kind.st_mode)) {
    file->HoldWhole(STDIN_FILENO, pipeLimit);
  } else {
    // A terminal or a device: nothing a picture comes from.
    throw EFOpenError(FormatMessage(texts::CannotOpenFile, file->fileName_));
  }
  return file;
}

void TInputFile::HoldWhole(int from, std::uint64_t pipeLimit) {
  // Held in memory rather than in a file on disk: nothing to clean up after a kill, and the
  // limit keeps it within a job's budget.
  const int copy = ::memfd_create("gliffo-input", MFD_CLOEXEC);
  if (copy < 0) throw EOutOfResources(texts::OutOfSystemResources);
  std::uint64_t total = 0;
  try {
    std::uint8_t chunk[65536];
    for (;;) {
      // Waiting here, not in read: a FIFO opened without waiting reads as ended until its
      // first writer comes, while poll waits for that writer (and reports its leaving).
      struct pollfd ready {from, POLLIN, 0};
      if (::poll(&ready, 1, -1) < 0) {
        if (errno == EINTR) continue;
        ReadFailed();
      }
      const ssize_t got = ::read(from, chunk, sizeof chunk);
      if (got < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        ReadFailed();
      }
      if (got == 0) break;
      total += static_cast<std::uint64_t>(got);
      if (total > pipeLimit) throw EOutOfResources(texts::OutOfSystemResources);
      try {
        WriteAllOrThrow(copy, chunk, static_cast<std::size_t>(got));
      } catch (const EWriteError&) {
        throw EOutOfResources(texts::OutOfSystemResources);
      }
    }
  } catch (...) {
    ::close(copy);
    throw;
  }
  fd_ = copy;
  held_ = true;
  openSize_ = total;
}

std::string TInputFile::ReopenName() const {
  return held_ || standardInput_ ? "/proc/self/fd/" + std::to_string(fd_) : fileName_;
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

std::size_t TInputFile::ReadHead(std::uint8_t* to, std::size_t count) const {
  // A size of 0 is also what pseudo-files report that do hold bytes: those are read on.
  if (openSize_ && *openSize_ > 0 && *openSize_ < count) count = static_cast<std::size_t>(*openSize_);
  return ReadAt(to, count, 0);
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

namespace {

// Named temporaries the signal handler removes. A slot is free (0), being filled (1) or
// holding a name (2); the handler looks only at names, and only at whole ones.
constexpr int PendingSlots = 16;
struct TPendingSlot {
  std::atomic<int> State{0};
  char Path[PATH_MAX]{};  // initialised at compile time: nothing of the table is touched at start
};
TPendingSlot pending[PendingSlots];

int AddPending(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < PendingSlots; ++i) {
    int free = 0;
    if (!pending[i].State.compare_exchange_strong(free, 1)) continue;
    std::memcpy(pending[i].Path, path.c_str(), path.size() + 1);
    pending[i].State.store(2);
    return i;
  }
  return -1;
}

void DropPending(const std::string& path) {
  for (TPendingSlot& slot : pending) {
    if (slot.State.load() != 2 || path != slot.Path) continue;
    slot.State.store(0);
    return;
  }
}

// Keeps SIGINT, SIGTERM and SIGHUP waiting while a temporary gets its name or a file is
// overwritten in place, so no kill but SIGKILL stops it halfway.
class TSignalsHeld {
 public:
  TSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigaddset(&held, SIGHUP);
    ::pthread_sigmask(SIG_BLOCK, &held, &saved_);
  }
  ~TSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  TSignalsHeld(const TSignalsHeld&) = delete;
  TSignalsHeld& operator=(const TSignalsHeld&) = delete;

 private:
  sigset_t saved_;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A short name beside the target: a target of the longest name its folder allows must still
// have room for its temporary.
std::string TemporaryName(const std::string& folder) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uint8_t noise[6] = {};
  if (::getrandom(noise, sizeof noise, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof noise)) {
    static std::atomic<unsigned> counter{0};
    const auto mix = static_cast<unsigned>(::getpid()) * 2654435761u + counter.fetch_add(1) * 40503u +
                     static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (std::size_t i = 0; i < sizeof noise; ++i) noise[i] = static_cast<std::uint8_t>(mix >> (i * 5));
  }
  std::string name = folder + "/.gliffo-";
  for (const std::uint8_t n : noise) name += letters[n % (sizeof letters - 1)];
  return name;
}

// A temporary file in folder, open for reading and writing. Unnamed where the file system
// allows, so that nothing is left of it after any kill; elsewhere a named one, put where
// RemovePendingTemporaries finds it. -1 when the folder takes neither.
int OpenTemporary(const std::string& folder, std::string& named) {
  named.clear();
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryName(folder);
    const TSignalsHeld held;  // made and listed in one step, or not at all
    const int made = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (made < 0 && errno == EEXIST) continue;
    if (made >= 0) {
      named = name;
      AddPending(named);
    }
    return made;
  }
  return -1;
}

void CloseTemporary(int fd, std::string& named) {
  if (fd >= 0) ::close(fd);
  if (named.empty()) return;
  ::unlink(named.c_str());
  DropPending(named);
  named.clear();
}

// Copies count bytes from the start of one file to the start of another.
bool CopyStart(int from, int to, std::uint64_t count) {
  std::vector<std::uint8_t> chunk(std::size_t{1} << 20);
  for (std::uint64_t at = 0; at < count;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), count - at));
    const ssize_t got = ::pread(from, chunk.data(), want, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    for (ssize_t put = 0; put < got;) {
      const ssize_t n = ::pwrite(to, chunk.data() + put, static_cast<std::size_t>(got - put), static_cast<off_t>(at) + put);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      put += n;
    }
    at += static_cast<std::uint64_t>(got);
  }
  return true;
}

// "/proc/self/fd/N" (where /dev/stdout and /dev/fd/N lead): the descriptor N, else -1.
int DescriptorNamed(const std::string& path) {
  std::string digits;
  if (path.starts_with("/proc/self/fd/")) digits = path.substr(14);
  else if (path.starts_with("/proc/" + std::to_string(::getpid()) + "/fd/"))
    digits = path.substr(6 + std::to_string(::getpid()).size() + 4);
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::stoi(digits);
}

}  // namespace

TSafeFileWriter::TSafeFileWriter(const std::string& fileName) : fileName_(fileName) {
  // Follow links to what they name, one step at a time: a link that names nothing creates
  // that file, and a link into /proc (/dev/stdout) is a door to an open file, never a file
  // to replace.
  std::string path = fileName;
  struct stat old {};
  bool exists = false, intoProc = false;
  for (int hop = 0;; ++hop) {
    if (hop == 40) CannotCreate();
    if (path.starts_with("/proc/")) {
      intoProc = true;
      break;
    }
    if (::lstat(path.c_str(), &old) != 0) break;
    if (!S_ISLNK(old.st_mode)) {
      exists = true;
      break;
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= link.size()) CannotCreate();
    link.resize(static_cast<std::size_t>(length));
    path = link.starts_with('/') ? link : FolderOf(path) + "/" + link;
  }
  target_ = path;
  folder_ = FolderOf(path);

  if (intoProc || (exists && !S_ISREG(old.st_mode))) {
    if (exists && S_ISDIR(old.st_mode)) CannotCreate();
    way_ = TWay::Direct;
    const int descriptor = intoProc ? DescriptorNamed(path) : -1;
    // An open descriptor is written as it stands (an appending one goes on appending).
    // Opened without waiting: a FIFO that nobody reads is refused at once instead of holding
    // the job for ever; whatever opens is then written as usual, waiting on a slow reader.
    fd_ = descriptor >= 0 ? ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0)
                          : ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) CannotCreate();
    if (descriptor < 0) {
      const int flags = ::fcntl(fd_, F_GETFL);
      if (flags >= 0) (void)::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    }
    return;
  }

  existed_ = exists;
  way_ = exists && old.st_nlink > 1 ? TWay::Overwrite : TWay::Replace;
  fd_ = OpenTemporary(folder_, named_);
  if (fd_ < 0) CannotCreate();
  // A new file gets the usual permissions; a replaced one keeps its own, and its owner and
  // group where we may give them (root saving another user's file must not take it over).
  mode_t mode = 0;
  if (exists) {
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0) (void)::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  // After fchown, which clears the set-id bits.
  ::fchmod(fd_, mode);
}

TSafeFileWriter::~TSafeFileWriter() {
  if (way_ == TWay::Direct) {
    if (fd_ >= 0) ::close(fd_);
    return;
  }
  CloseTemporary(fd_, named_);
}

void TSafeFileWriter::CannotCreate() const { throw EFCreateError(FormatMessage(texts::CannotCreateFile, fileName_)); }

void TSafeFileWriter::Write(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) throw EWriteError(texts::StreamWriteError);
  WriteAllOrThrow(fd_, bytes.data(), bytes.size());
  written_ += bytes.size();
}

void TSafeFileWriter::Commit() {
  if (fd_ < 0) throw EWriteError(texts::StreamWriteError);
  if (way_ == TWay::Direct) {
    struct stat kind {};
    const bool regular = ::fstat(fd_, &kind) == 0 && S_ISREG(kind.st_mode);
    const int fd = fd_;
    fd_ = -1;
    const bool synced = !regular || ::fsync(fd) == 0;
    if (::close(fd) != 0 || !synced) throw EWriteError(texts::StreamWriteError);
  } else if (way_ == TWay::Overwrite) {
    CommitOverwrite();
  } else {
    CommitReplace();
  }
}

bool TSafeFileWriter::Deferrable() const { return fd_ >= 0 && way_ == TWay::Replace && named_.empty(); }

void TSafeFileWriter::CommitFlushed() {
  if (!Deferrable()) {
    Commit();
    return;
  }
  CommitReplace(true);
}

void TSafeFileWriter::CommitReplace(bool flushed) {
  // The data is on disk before the temporary takes the name, so after a crash the name holds
  // either the old file or the whole new one.
  if (!flushed && ::fsync(fd_) != 0) throw EWriteError(texts::StreamWriteError);
  const TSignalsHeld held;
  if (!named_.empty()) {
    if (::rename(named_.c_str(), target_.c_str()) != 0) CannotCreate();
    DropPending(named_);
    named_.clear();
    return;
  }
  const auto link = [&](const std::string& name) {
    const int linked = ::linkat(AT_FDCWD, ("/proc/self/fd/" + std::to_string(fd_)).c_str(), AT_FDCWD, name.c_str(),
                                AT_SYMLINK_FOLLOW);
    return linked != 0 && errno == ENOENT ? ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) : linked;
  };
  // A new file takes its name at once; should one have come meanwhile, it is replaced below.
  if (!existed_) {
    if (link(target_) == 0) return;
    if (errno != EEXIST) CannotCreate();
  }
  // An unnamed file cannot take a name that exists: it gets a free one, renamed over the
  // target at once (the signals held, nothing but SIGKILL comes between).
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryName(folder_);
    if (link(name) != 0) {
      if (errno == EEXIST) continue;
      CannotCreate();
    }
    if (::rename(name.c_str(), target_.c_str()) != 0) {
      ::unlink(name.c_str());
      CannotCreate();
    }
    return;
  }
  CannotCreate();
}

// A file with more than one hard link is overwritten in place, or its other names would keep
// the old picture. A rename cannot do that, so the guarantee is kept another way: the new bytes
// are whole in the temporary first, the old ones are copied aside, room for the new size is
// taken before the first byte changes, and a write that fails even so puts the old bytes back.
// SIGINT, SIGTERM and SIGHUP wait until it is done. Only SIGKILL or a crash during the copy can
// leave such a file part old, part new: the price of keeping its links.
void TSafeFileWriter::CommitOverwrite() {
  const int target = ::open(target_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (target < 0) {
    // A file we may replace but not write (read-only, in a folder of ours): saved as before,
    // its links parted from it, rather than not saved.
    CommitReplace();
    return;
  }
  std::string backupNamed;
  int backup = -1;
  const auto finish = [&](bool ok) {
    ::close(target);
    CloseTemporary(backup, backupNamed);
    if (!ok) throw EWriteError(texts::StreamWriteError);
  };
  struct stat old {};
  if (::fstat(target, &old) != 0) finish(false);
  const auto oldSize = static_cast<std::uint64_t>(old.st_size);
  backup = OpenTemporary(folder_, backupNamed);
  if (backup < 0 || !CopyStart(target, backup, oldSize)) finish(false);

  const TSignalsHeld held;
  if (::fallocate(target, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(written_)) != 0 && errno != EOPNOTSUPP &&
      errno != ENOSYS) {
    (void)::ftruncate(target, static_cast<off_t>(oldSize));  // gives back what was taken
    finish(false);
  }
  const bool written = CopyStart(fd_, target, written_) && ::ftruncate(target, static_cast<off_t>(written_)) == 0 &&
                       ::fsync(target) == 0;
  if (!written) {
    (void)(CopyStart(backup, target, oldSize) && ::ftruncate(target, static_cast<off_t>(oldSize)) == 0 &&
           ::fsync(target) == 0);
  }
  finish(written);
}

TSafeFileBatch::TSafeFileBatch(std::function<void(const std::string&)> onSaved) : onSaved_(std::move(onSaved)) {
  struct rlimit open {};
  if (::getrlimit(RLIMIT_NOFILE, &open) == 0 && open.rlim_cur != RLIM_INFINITY)
    groupSize_ = std::clamp<std::size_t>(static_cast<std::size_t>(open.rlim_cur) / 4, 1, GroupSize);
}

TSafeFileBatch::~TSafeFileBatch() {
  if (releaser_.joinable()) releaser_.join();
}

void TSafeFileBatch::Save(const std::string& fileName, std::span<const std::uint8_t> bytes) {
  try {
    AboutFile(fileName, [&] {
      auto file = std::make_unique<TSafeFileWriter>(fileName);
      file->Write(bytes);
      if (!file->Deferrable()) {
        // Saved before the files waiting: those are saved next, in their order.
        Commit();
        file->Commit();
        if (onSaved_) onSaved_(fileName);
        return;
      }
      waiting_.emplace_back(fileName, std::move(file));
    });
  } catch (...) {
    // The files written before the one that failed are saved, as they would be one by one.
    try {
      Commit();
    } catch (...) {
    }
    throw;
  }
  if (waiting_.size() >= groupSize_) Commit();
}

void TSafeFileBatch::Commit() {
  if (waiting_.empty()) return;
  // One flush for each file system the group writes to; each file on its own where that fails.
  bool flushed = true;
  std::vector<dev_t> synced;
  for (const auto& [fileName, file] : waiting_) {
    struct stat info {};
    if (::fstat(file->Descriptor(), &info) != 0) {
      flushed = false;
      break;
    }
    if (std::find(synced.begin(), synced.end(), info.st_dev) != synced.end()) continue;
    if (::syncfs(file->Descriptor()) != 0) {
      flushed = false;
      break;
    }
    synced.push_back(info.st_dev);
  }
  // A file replaced is held open while its successor takes its name, and let go by a helper
  // thread: the file system frees its blocks when the last hold goes, and may wait on the disk
  // for that, file by file, while this thread goes on with the next group.
  std::vector<int> replaced;
  replaced.reserve(waiting_.size());
  std::exception_ptr first;
  auto group = std::move(waiting_);
  waiting_.clear();
  for (auto& waiting : group) {
    const std::string& fileName = waiting.first;
    TSafeFileWriter& file = *waiting.second;
    const int old = ::open(fileName.c_str(), O_PATH | O_CLOEXEC);
    if (old >= 0) replaced.push_back(old);
    try {
      AboutFile(fileName, [&] { flushed ? file.CommitFlushed() : file.Commit(); });
      if (onSaved_) onSaved_(fileName);
    } catch (...) {
      if (!first) first = std::current_exception();
    }
    waiting.second.reset();
  }
  LetGo(std::move(replaced));
  if (first) std::rethrow_exception(first);
}

void TSafeFileBatch::LetGo(std::vector<int> files) {
  if (releaser_.joinable()) releaser_.join();
  letGo_ = std::move(files);
  const auto closeAll = [this] {
    for (const int fd : letGo_) ::close(fd);
  };
  try {
    releaser_ = std::thread(closeAll);
  } catch (const std::system_error&) {
    closeAll();  // no thread to be had: let go here
  }
}

void RemovePendingTemporaries() noexcept {
  for (TPendingSlot& slot : pending)
    if (slot.State.load() == 2) ::unlink(slot.Path);
}

}  // namespace gliffo::files
