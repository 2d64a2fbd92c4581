// Saving over what is not a plain file of our own, and reading pipes: the cases where replacing
// a file by a new one would do harm.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class FileIo : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_ / name; }
  void Put(const std::string& name, const Bytes& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator()));
  }
  testing::TempFolder folder_;
};

TEST_F(FileIo, SpecialFilesAndDanglingLinksAreWrittenNotReplaced) {
  const Bytes bytes = {1, 2, 3};
  files::WriteWholeFile("/dev/null", bytes);
  struct stat info {};
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));

  // A FIFO nobody reads is refused without waiting; one being read gets the bytes and stays a
  // FIFO.
  const std::string fifo = PathOf("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_THROW(files::ReadWholeFile(fifo), EFOpenError);  // refused without waiting on it
  EXPECT_THROW(files::WriteWholeFile(fifo, bytes), EFCreateError);
  Bytes got;
  std::thread drain([&] { got = files::TInputFile(fifo, 100).ReadAll(0); });
  bool written = false;
  for (int tries = 0; tries < 5000 && !written; ++tries) {
    try {
      files::WriteWholeFile(fifo, bytes);  // once the reader has it open
      written = true;
    } catch (const EFCreateError&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  drain.join();
  EXPECT_TRUE(written);
  EXPECT_EQ(got, bytes);
  ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));

  // A link to nothing creates what it names, in its folder, and stays a link.
  fs::create_directory(PathOf("sub"));
  fs::create_symlink("sub/made.bmp", PathOf("dangling"));
  files::WriteWholeFile(PathOf("dangling"), bytes);
  EXPECT_TRUE(fs::is_symlink(PathOf("dangling")));
  EXPECT_EQ(files::ReadWholeFile(PathOf("sub/made.bmp")), bytes);
  EXPECT_EQ(FileCount(), 3u);
}

TEST_F(FileIo, APipeIsReadWholeWithinItsLimitAndADeviceNever) {
  EXPECT_THROW(files::TInputFile("/dev/zero", 1 << 20), EFOpenError);
  const std::string fifo = PathOf("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::size_t size : {std::size_t{100}, std::size_t{101}}) {
    // A FIFO that nobody reads is refused rather than waited on: the writer tries again until
    // the reader below has it open.
    std::thread writer([&] {
      for (int tries = 0; tries < 5000; ++tries) {
        try {
          files::WriteWholeFile(fifo, Bytes(size, 7));
          return;
        } catch (const EFCreateError&) {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      }
    });
    try {
      const files::TInputFile file(fifo, 100);
      EXPECT_EQ(size, 100u);
      EXPECT_TRUE(file.HeldWhole());
      // Held, it reads at any offset and opens again by its new name as a regular file.
      EXPECT_EQ(file.RegularSize(), std::optional<std::uint64_t>(100));
      EXPECT_EQ(files::ReadWholeFile(file.ReopenName()), Bytes(100, 7));
    } catch (const EOutOfResources&) {
      EXPECT_EQ(size, 101u);
    }
    writer.join();
  }
}

// A 250-character name leaves no room for a temporary named after it.
TEST_F(FileIo, ALongNameSavesAndNothingIsLeftBeside) {
  const std::string name = PathOf(std::string(246, 'g') + ".bmp");
  files::WriteWholeFile(name, Bytes{5});
  files::WriteWholeFile(name, Bytes{6});
  EXPECT_EQ(files::ReadWholeFile(name), Bytes{6});
  EXPECT_EQ(FileCount(), 1u);
}

TEST_F(FileIo, ASavedFileKeepsItsOwnerGroupAndHardLinks) {
  const std::string name = PathOf("g.bmp"), other = PathOf("other-name.bmp");
  Put("g.bmp", {1, 1});
  ASSERT_EQ(::chmod(name.c_str(), 0640), 0);
  struct stat before {};
  ASSERT_EQ(::stat(name.c_str(), &before), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(name.c_str(), 4321, 8765), 0);
  }
  ASSERT_EQ(::link(name.c_str(), other.c_str()), 0);
  files::WriteWholeFile(name, Bytes(3000, 2));
  EXPECT_EQ(files::ReadWholeFile(other), Bytes(3000, 2));
  files::WriteWholeFile(other, Bytes{3});  // shorter than before: nothing of the old is left
  EXPECT_EQ(files::ReadWholeFile(name), Bytes{3});
  struct stat after {};
  ASSERT_EQ(::stat(name.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(FileCount(), 2u);

  // Replaced, not overwritten, once it has one name: the owner still comes along.
  ASSERT_EQ(::unlink(other.c_str()), 0);
  files::WriteWholeFile(name, Bytes{4});
  ASSERT_EQ(::stat(name.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
  EXPECT_EQ(after.st_uid, 4321u);
  EXPECT_EQ(after.st_gid, 8765u);
}

TEST_F(FileIo, ABatchSavesEveryFileInOrderAndStopsAtTheFirstItCannot) {
  // More files than a group, some replacing old ones, one with a second name.
  const std::size_t count = files::TSafeFileBatch::GroupSize + 44;
  const auto name = [&](std::size_t i) { return PathOf("f" + std::to_string(i)); };
  for (std::size_t i = 0; i < count; i += 7) Put("f" + std::to_string(i), {9, 9});
  ASSERT_EQ(::link(name(14).c_str(), PathOf("second").c_str()), 0);
  std::vector<std::string> saved;
  {
    files::TSafeFileBatch batch([&](const std::string& n) { saved.push_back(n); });
    for (std::size_t i = 0; i < count; ++i) batch.Save(name(i), Bytes(i % 50 + 1, static_cast<std::uint8_t>(i)));
    batch.Commit();
  }
  ASSERT_EQ(saved.size(), count);
  for (std::size_t i = 0; i < count; ++i) {
    EXPECT_EQ(saved[i], name(i));
    EXPECT_EQ(files::ReadWholeFile(name(i)), Bytes(i % 50 + 1, static_cast<std::uint8_t>(i))) << i;
  }
  EXPECT_EQ(files::ReadWholeFile(PathOf("second")), Bytes(15, 14));
  EXPECT_EQ(FileCount(), count + 1);  // no temporary left beside them

  // A file that cannot be created: the ones before it are saved, the ones after never begun.
  saved.clear();
  files::TSafeFileBatch batch([&](const std::string& n) { saved.push_back(n); });
  batch.Save(name(0), Bytes{1});
  batch.Save(name(1), Bytes{2});
  try {
    batch.Save(PathOf("no-such-folder/f"), Bytes{3});
    ADD_FAILURE() << "saved into a missing folder";
  } catch (const Exception& e) {
    EXPECT_EQ(e.FileName(), PathOf("no-such-folder/f"));
  }
  EXPECT_EQ(saved, (std::vector<std::string>{name(0), name(1)}));
  EXPECT_EQ(files::ReadWholeFile(name(1)), Bytes{2});

  // A process allowed few open files saves them all the same, in smaller groups.
  struct rlimit usual {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &usual), 0);
  struct rlimit few = usual;
  few.rlim_cur = std::min<rlim_t>(usual.rlim_cur, 64);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
  try {
    files::TSafeFileBatch small;
    for (std::size_t i = 0; i < count; ++i) small.Save(name(i), Bytes{static_cast<std::uint8_t>(i), 7});
    small.Commit();
  } catch (const Exception& e) {
    ADD_FAILURE() << e.FileName() << ": " << e.Message();
  }
  ::setrlimit(RLIMIT_NOFILE, &usual);
  EXPECT_EQ(files::ReadWholeFile(name(count - 1)), (Bytes{static_cast<std::uint8_t>(count - 1), 7}));
}

}  // namespace
}  // namespace gliffo
