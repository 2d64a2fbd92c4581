// The floor of the strip jobs: read every input byte and write an output of a given size, with
// nothing decoded; a job that does its real work cannot be faster than this.
//
// strips_floor [--out OUT BYTES [--durable]] [--png] DIR | FILE...
//   DIR      list its *.bmp files (any letter case, no hidden ones), sort the names case-blind and
//            read every file in full, as gather does; with --png its *.png files too, as
//            gather --png does;
//   FILE...  read the files as given, as combine, to4bit and decode do.
//   --durable  write as a safe save does: a temporary file beside OUT, written, flushed to disk,
//            closed and renamed over OUT; without it OUT is written in place.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SortedImageFiles(const std::string& folder, bool png) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name[0] == '.' || name.size() < 4) continue;
    const char* ext = name.c_str() + name.size() - 4;
    if (strcasecmp(ext, ".bmp") != 0 && !(png && strcasecmp(ext, ".png") == 0)) continue;
    names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; });
  for (std::string& name : names) name = folder + "/" + name;
  return names;
}

bool WriteAll(int fd, const std::vector<char>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

bool WritePlain(const std::string& target, const std::vector<char>& bytes) {
  const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes);
  return close(fd) == 0 && written;
}

// The steps a save that must survive a crash cannot leave out; the program's own save does a few
// cheap look-ups more (links, the old file's permissions), which is its cost above this floor.
bool WriteDurable(const std::string& target, const std::vector<char>& bytes) {
  std::string temp = target + ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const mode_t mask = umask(0);
  umask(mask);
  const bool written = fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
  if (close(fd) != 0 || !written || rename(temp.c_str(), target.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out;
  unsigned long long outBytes = 0;
  bool durable = false, png = false;
  for (std::size_t i = 0; i < args.size();) {
    if (args[i] == "--out" && i + 2 < args.size()) {
      out = args[i + 1];
      outBytes = std::strtoull(args[i + 2].c_str(), nullptr, 10);
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 3);
    } else if (args[i] == "--durable" || args[i] == "--png") {
      (args[i] == "--png" ? png : durable) = true;
      args.erase(args.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
  if (args.empty() || (durable && out.empty())) {
    std::fprintf(stderr, "usage: strips_floor [--out OUT BYTES [--durable]] [--png] DIR | FILE...\n");
    return 2;
  }
  struct stat info {};
  const bool folder = args.size() == 1 && stat(args[0].c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  const std::vector<std::string> files = folder ? SortedImageFiles(args[0], png) : args;

  std::vector<char> buffer(1 << 16);
  unsigned long long total = 0;
  for (const std::string& name : files) {
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      std::perror(name.c_str());
      return 1;
    }
    ssize_t got;
    while ((got = read(fd, buffer.data(), buffer.size())) > 0) total += static_cast<unsigned long long>(got);
    close(fd);
  }
  if (!out.empty()) {
    const std::vector<char> bytes(outBytes, 'x');
    if (!(durable ? WriteDurable(out, bytes) : WritePlain(out, bytes))) {
      std::perror(out.c_str());
      return 1;
    }
  }
  std::printf("files: %zu\nbytes: %llu\n", files.size(), total);
  return 0;
}
