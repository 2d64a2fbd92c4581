#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/errors.h"
#include "platform/profile/ini_file.h"
#include "platform/profile/profile.h"
#include "platform/profile/settings_path.h"
#include "platform/profile/window_placement.h"

namespace fs = std::filesystem;
using namespace gliffo;
using namespace gliffo::profile;

namespace {

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("gliffo_profile_" + std::to_string(getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = (dir_ / "gliffo.ini").string();
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  void Put(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
  std::string Get() const {
    std::ifstream in(file_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
  std::string file_;
};

TEST_F(ProfileTest, ReadsFindSectionsAndKeysWithoutRegardToCase) {
  Put("; settings\n[window]\n  LEFT = 12 \nTop=\"7\"\n[Other]\nLeft=99\n");
  EXPECT_EQ(GetPrivateProfileString("Window", "Left", "x", file_), "12");
  EXPECT_EQ(GetPrivateProfileString("WINDOW", "top", "x", file_), "7");  // one pair of quotes dropped
  EXPECT_EQ(GetPrivateProfileString("other", "left", "x", file_), "99");
  EXPECT_EQ(GetPrivateProfileString("Window", "Width", "dflt  ", file_), "dflt");
  EXPECT_EQ(GetPrivateProfileString("Missing", "Left", "d", file_), "d");
  EXPECT_EQ(GetPrivateProfileString("Window", "Left", "d", (dir_ / "none.ini").string()), "d");
}

TEST_F(ProfileTest, ValuesAreCutToTheBuffer) {
  Put("[W]\nK=" + std::string(5000, 'a') + "\n");
  EXPECT_EQ(GetPrivateProfileString("W", "K", "", file_).size(), ProfileBufferSize - 1);
}

TEST_F(ProfileTest, WriteChangesOnlyItsOwnLine) {
  Put("# top comment\r\n[Window]\r\nleft=1\r\nFoo = bar\r\n\r\n[EWindow]\r\nLeft=5\r\n");
  ASSERT_TRUE(WritePrivateProfileString("WINDOW", "Left", "300", file_));
  ASSERT_TRUE(WritePrivateProfileString("window", "Top", "40", file_));
  ASSERT_TRUE(WritePrivateProfileString("Fresh", "Width", "7", file_));
  EXPECT_EQ(Get(),
            "# top comment\r\n[Window]\r\nleft=300\r\nFoo = bar\r\nTop=40\r\n\r\n[EWindow]\r\nLeft=5\r\n"
            "\r\n[Fresh]\r\nWidth=7\r\n");
}

TEST_F(ProfileTest, WriteCreatesTheFileAndDeletes) {
  ASSERT_TRUE(WritePrivateProfileString("Window", "Left", "1", file_));
  ASSERT_TRUE(WritePrivateProfileString("Window", "Top", "2", file_));
  ASSERT_TRUE(WritePrivateProfileString("EWindow", "Left", "3", file_));
  EXPECT_EQ(Get(), "[Window]\nLeft=1\nTop=2\n\n[EWindow]\nLeft=3\n");
  ASSERT_TRUE(WritePrivateProfileString("Window", std::string("Left"), std::nullopt, file_));
  ASSERT_TRUE(WritePrivateProfileString("EWindow", std::nullopt, std::nullopt, file_));
  EXPECT_EQ(Get(), "[Window]\nTop=2\n\n");
}

TEST_F(ProfileTest, FailedWriteLeavesTheFileAndReports) {
  Put("[Window]\nLeft=1\n");
  EXPECT_FALSE(WritePrivateProfileString("Window", "Left", "a\nb", file_));
  fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
  if (access(dir_.c_str(), W_OK) != 0) {  // root can write anywhere
    EXPECT_FALSE(WritePrivateProfileString("Window", "Left", "2", file_));
  }
  fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(Get(), "[Window]\nLeft=1\n");

  // A folder in the file's place can be neither read nor written.
  std::string folder = (dir_ / "folder.ini").string();
  fs::create_directory(folder);
  EXPECT_FALSE(WritePrivateProfileString("Window", "Left", "2", folder));
  EXPECT_EQ(GetPrivateProfileString("Window", "Left", "d", folder), "d");
  TIniFile ini(folder);
  try {
    ini.WriteInteger("Window", "Left", 2);
    FAIL() << "no error raised";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + folder);
  }
}

TEST(ProfileIntegerTest, ParsesDecimalAndBothHexForms) {
  EXPECT_EQ(ParseProfileInteger("100"), 100);
  EXPECT_EQ(ParseProfileInteger("-20"), -20);
  EXPECT_EQ(ParseProfileInteger("0x64"), 100);
  EXPECT_EQ(ParseProfileInteger("0X1f"), 31);
  EXPECT_EQ(ParseProfileInteger("$64"), 100);
  EXPECT_EQ(ParseProfileInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseProfileInteger("-2147483648"), INT32_MIN);
  // "0x" alone is not long enough to be hexadecimal, and then it is no decimal either.
  EXPECT_EQ(ParseProfileInteger("0x"), std::nullopt);
  EXPECT_EQ(ParseProfileInteger("abc"), std::nullopt);
  EXPECT_EQ(ParseProfileInteger("12px"), std::nullopt);
  EXPECT_EQ(ParseProfileInteger(""), std::nullopt);
  EXPECT_EQ(ParseProfileInteger("$"), std::nullopt);
  EXPECT_EQ(ParseProfileInteger("2147483648"), std::nullopt);
  EXPECT_EQ(ParseProfileInteger("$100000000"), std::nullopt);
}

// Records the order in which the placement sets a window.
class FakeWindow : public IPlacedWindow {
 public:
  bool Maximized() const override { return maximized; }
  void SetMaximized() override { calls.push_back("max"); maximized = true; }
  int Left() const override { return left; }
  int Top() const override { return top; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  void SetLeft(int v) override { calls.push_back("Left"); left = v; }
  void SetTop(int v) override { calls.push_back("Top"); top = v; }
  void SetWidth(int v) override { calls.push_back("Width"); width = v; }
  void SetHeight(int v) override { calls.push_back("Height"); height = v; }
  std::vector<TScreenArea> Screens() const override { return screens; }
  std::vector<TScreenArea> screens;
  bool maximized = false;
  int left = 184, top = 115, width = 180, height = 420;
  std::vector<std::string> calls;
};

TEST_F(ProfileTest, PlacementDefaultsAndRoundTrip) {
  FakeWindow first;
  LoadWindowPlacement(first, "Window", file_);
  EXPECT_EQ(first.calls, (std::vector<std::string>{"Left", "Top", "Width", "Height"}));
  EXPECT_EQ(first.left, 184);
  first.left = 10; first.top = 20; first.width = 300; first.height = 400;
  SaveWindowPlacement(first, "Window", file_);
  EXPECT_EQ(Get(), "[Window]\nLeft=10\nTop=20\nWidth=300\nHeight=400\n");

  FakeWindow second;
  LoadWindowPlacement(second, "window", file_);
  EXPECT_EQ(second.left, 10);
  EXPECT_EQ(second.height, 400);
}

TEST_F(ProfileTest, PlacementStateAndBadValues) {
  Put("[Window]\nState=1\nLeft=5\n[EWindow]\nState=0\nLeft=letters\nTop=0x64\nWidth=$20\n");
  FakeWindow maximised;
  LoadWindowPlacement(maximised, "Window", file_);
  EXPECT_EQ(maximised.calls, std::vector<std::string>{"max"});
  EXPECT_EQ(maximised.left, 184);

  FakeWindow editor;
  LoadWindowPlacement(editor, "EWindow", file_);
  EXPECT_FALSE(editor.maximized);
  EXPECT_EQ(editor.left, 184);
  EXPECT_EQ(editor.top, 100);
  EXPECT_EQ(editor.width, 32);
  EXPECT_EQ(editor.height, 420);

  // A maximised window writes State only; a later normal save clears it, so a window restored
  // since does not open maximised for ever.
  SaveWindowPlacement(maximised, "Window", file_);
  EXPECT_EQ(GetPrivateProfileString("Window", "State", "", file_), "1");
  maximised.maximized = false;
  SaveWindowPlacement(maximised, "Window", file_);
  EXPECT_EQ(GetPrivateProfileString("Window", "State", "", file_), "0");
  EXPECT_EQ(GetPrivateProfileString("Window", "Left", "", file_), "184");
}

TEST_F(ProfileTest, PlacementFromTheFileIsFittedToTheScreens) {
  // Two screens side by side, the second lower and to the right of the first.
  const std::vector<TScreenArea> screens{{0, 0, 1920, 1080}, {1920, 200, 1280, 1024}};
  Put("[Window]\nLeft=5000\nTop=-3000\nWidth=1000000000\nHeight=300\n"
      "[EWindow]\nLeft=3000\nTop=1100\nWidth=400\nHeight=300\n");
  FakeWindow lost;
  lost.screens = screens;
  LoadWindowPlacement(lost, "Window", file_);
  // Standing on no screen, it goes to the first, as wide as it and wholly on it.
  EXPECT_EQ(lost.width, 1920);
  EXPECT_EQ(lost.left, 0);
  EXPECT_EQ(lost.top, 0);
  EXPECT_EQ(lost.height, 300);

  FakeWindow overhanging;
  overhanging.screens = screens;
  LoadWindowPlacement(overhanging, "EWindow", file_);
  // Mostly on the second screen: pulled back inside its right and bottom edges, no further.
  EXPECT_EQ(overhanging.left, 1920 + 1280 - 400);
  EXPECT_EQ(overhanging.top, 200 + 1024 - 300);
}

TEST_F(ProfileTest, AFifoAsTheSettingsFileIsNeverOpened) {
  // Opening it for reading would wait for a writer for ever.
  ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
  EXPECT_EQ(GetPrivateProfileString("Window", "Left", "none", file_), "none");
  EXPECT_FALSE(WritePrivateProfileString("Window", "Left", "1", file_));
}

TEST_F(ProfileTest, SettingsFileBesideTheProgramOrInTheUserFolder) {
  fs::create_directories(dir_ / "bin");
  std::string exe = (dir_ / "bin" / "gliffo").string();
  EXPECT_EQ(ChangeFileExt("/a.b/prog", ".ini"), "/a.b/prog.ini");
  EXPECT_EQ(ChangeFileExt("/a/prog.exe", ".ini"), "/a/prog.ini");
  EXPECT_EQ(DirectoryOf(exe), (dir_ / "bin").string() + "/");

  TSettingsLocation writable = SettingsLocationFor(exe);
  EXPECT_EQ(writable.ReadPath, exe + ".ini");
  EXPECT_EQ(writable.WritePath, exe + ".ini");

  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  std::string saved = oldXdg ? oldXdg : "";
  setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
  std::ofstream(exe + ".ini") << "[Window]\nLeft=1\n";
  auto nothingWritableInBin = [&](const std::string& path) { return path.find("/bin") == std::string::npos; };
  std::string user = (dir_ / "config" / "gliffo" / "gliffo.ini").string();
  TSettingsLocation locked = SettingsLocationFor(exe, nothingWritableInBin);
  EXPECT_EQ(locked.WritePath, user);
  EXPECT_EQ(locked.ReadPath, exe + ".ini");  // the user has no file yet
  ASSERT_TRUE(MakeParentFolders(user));
  TIniFile(user).WriteInteger("Window", "Left", 2);
  EXPECT_EQ(SettingsLocationFor(exe, nothingWritableInBin).ReadPath, user);
  // A file beside the program that the user may not change sends the writes away as well.
  auto fileLocked = [&](const std::string& path) { return path != exe + ".ini"; };
  EXPECT_EQ(SettingsLocationFor(exe, fileLocked).WritePath, user);
  // An installed program writes the user's file even where it could write beside itself.
  fs::create_directories(dir_ / "share" / "gliffo");
  EXPECT_EQ(SettingsLocationFor(exe).WritePath, user);
  EXPECT_EQ(SettingsLocationFor(exe).ReadPath, user);
  if (oldXdg) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");
}

// The help guide of a build tree lies beside the program; an installed one in share/gliffo.
TEST_F(ProfileTest, ProgramDataFileBesideTheProgramFirstThenInstalled) {
  fs::create_directories(dir_ / "bin");
  const std::string bin = (dir_ / "bin").string() + "/";
  const std::string beside = bin + "Gliffo.hlp";
  const std::string installed = (dir_ / "share" / "gliffo" / "Gliffo.hlp").string();
  EXPECT_EQ(ProgramDataFile(bin, "../share/gliffo", "Gliffo.hlp"), beside);  // neither: the first place looked

  fs::create_directories(dir_ / "share" / "gliffo");
  std::ofstream(installed) << "guide";
  EXPECT_EQ(ProgramDataFile(bin, "../share/gliffo", "Gliffo.hlp"), installed);
  EXPECT_EQ(ProgramDataFile(bin, "", "Gliffo.hlp"), beside);

  std::ofstream(beside) << "guide";
  EXPECT_EQ(ProgramDataFile(bin, "../share/gliffo", "Gliffo.hlp"), beside);
}

}  // namespace
