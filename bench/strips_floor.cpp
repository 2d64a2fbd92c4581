// The floor of the strip jobs: list a folder's *.bmp files, sort the names, read every file in
// full with a plain loop and, when asked, write an output file of a given size. Nothing is
// decoded; a job that does its real work cannot be faster than this.
//
// strips_floor DIR [OUT BYTES [sync]]   (sync: flush the output to disk before closing it, as a
// save that must survive a crash does)
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 2 || argc == 3 || argc > 5) {
    std::fprintf(stderr, "usage: strips_floor DIR [OUT BYTES [sync]]\n");
    return 2;
  }
  const std::string folder = argv[1];
  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    std::perror(argv[1]);
    return 1;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name[0] == '.' || name.size() < 4) continue;
    if (strcasecmp(name.c_str() + name.size() - 4, ".bmp") != 0) continue;
    names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; });
  std::vector<char> buffer(1 << 16);
  unsigned long long total = 0;
  for (const std::string& name : names) {
    const int fd = open((folder + "/" + name).c_str(), O_RDONLY);
    if (fd < 0) {
      std::perror(name.c_str());
      return 1;
    }
    ssize_t got;
    while ((got = read(fd, buffer.data(), buffer.size())) > 0) total += static_cast<unsigned long long>(got);
    close(fd);
  }
  if (argc >= 4) {
    const bool sync = argc == 5 && std::string(argv[4]) == "sync";
    const std::vector<char> out(std::strtoull(argv[3], nullptr, 10), 'x');
    const int fd = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 || write(fd, out.data(), out.size()) != static_cast<ssize_t>(out.size()) || (sync && fsync(fd) != 0) ||
        close(fd) != 0) {
      std::perror(argv[2]);
      return 1;
    }
  }
  std::printf("files: %zu\nbytes: %llu\n", names.size(), total);
  return 0;
}
