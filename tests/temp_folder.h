#pragma once
// A scratch folder for one test, removed with everything in it when the test ends (read
// permission is given back first, for tests that take it away).
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace gliffo::testing {

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/gliffo-test-XXXXXX";
    if (::mkdtemp(pattern)) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace gliffo::testing
