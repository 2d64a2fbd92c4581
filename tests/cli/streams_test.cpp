// gliffo-tool between pipes, and stopped halfway through a save.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "glyphs/bitmap.h"
#include "platform/files/file_io.h"
#include "tests/cli/run_tool.h"
#include "tests/glyphs/bmp_bytes.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Starts the tool with `input` on a pipe as its standard input and its output in files of dir.
pid_t StartTool(const std::vector<std::string>& args, const fs::path& dir, const Bytes& input) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipeEnds[0], 0);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    std::string tool = GLIFFO_TOOL_PATH;
    std::vector<std::string> copy = args;
    std::vector<char*> argv{tool.data()};
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (!std::freopen((dir / "stdout.txt").c_str(), "w", stdout) ||
        !std::freopen((dir / "stderr.txt").c_str(), "w", stderr))
      ::_exit(127);
    ::execv(tool.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[0]);
  for (std::size_t done = 0; done < input.size();) {
    const ssize_t put = ::write(pipeEnds[1], input.data() + done, input.size() - done);
    if (put <= 0) break;
    done += static_cast<std::size_t>(put);
  }
  ::close(pipeEnds[1]);
  return pid;
}

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

class ToolStreams : public ::testing::Test {
 protected:
  testing::TempFolder folder_;
  const fs::path dir_ = folder_.Path();
};

TEST_F(ToolStreams, DashReadsStandardInputAndWritesStandardOutput) {
  testing::BmpBuilder b;
  b.Width = 2;
  b.Height = 1;
  b.Pixels = {1, 2, 3, 4, 5, 6, 0, 0};
  const Bytes source = b.Build();
  TBitmap loaded;
  loaded.LoadFromBytes(source);

  int status = Wait(StartTool({"copy", "-", "-"}, dir_, source));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Read(dir_ / "stderr.txt");
  const Bytes saved = loaded.SaveToBytes();
  EXPECT_EQ(Read(dir_ / "stdout.txt"), std::string(saved.begin(), saved.end()));

  status = Wait(StartTool({"info", "-"}, dir_, source));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(Read(dir_ / "stdout.txt").find("width: 2\n"), std::string::npos);

  // Errors name the input as it was given.
  status = Wait(StartTool({"copy", "-", (dir_ / "o.bmp").string()}, dir_, Bytes(60, 'x')));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_EQ(Read(dir_ / "stderr.txt").rfind("gliffo-tool: -: ", 0), 0u) << Read(dir_ / "stderr.txt");
  EXPECT_FALSE(fs::exists(dir_ / "o.bmp"));
}

// Standard input that is a regular file (a shell's < file) and a named pipe (<(...)) are inputs
// of every job, and "-" as an output is standard output, with the report on standard error.
TEST_F(ToolStreams, EveryJobTakesDashAndPipes) {
  const fs::path strip = dir_ / "strip.bmp";
  {
    TBitmap image;
    image.SetPixelFormat(TPixelFormat::pf4bit);
    image.SetWidth(32);
    image.SetHeight(16);
    image.SaveToFile(strip);
  }
  const auto fromFile = [&](const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (!std::freopen(strip.c_str(), "r", stdin) || ::chdir(dir_.c_str()) != 0) ::_exit(127);
      std::string tool = GLIFFO_TOOL_PATH;
      std::vector<std::string> copy = args;
      std::vector<char*> argv{tool.data()};
      for (std::string& a : copy) argv.push_back(a.data());
      argv.push_back(nullptr);
      if (!std::freopen((dir_ / "stdout.txt").c_str(), "w", stdout) ||
          !std::freopen((dir_ / "stderr.txt").c_str(), "w", stderr))
        ::_exit(127);
      ::execv(tool.c_str(), argv.data());
      ::_exit(127);
    }
    const int status = Wait(pid);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"info", "-"}, {"list", "-"}, {"copy", "-", dir_ / "c.bmp"}, {"decode", "-", dir_ / "d.ppm"},
        {"to4bit", "-", dir_ / "t.bmp"}, {"disable", "-", dir_ / "x.bmp"}, {"pick", "-", dir_ / "p.bmp", "1"},
        {"scale", "-", dir_ / "s.bmp", "--by", "2"}}) {
    EXPECT_EQ(fromFile(args), 0) << args[0] << ": " << Read(dir_ / "stderr.txt");
  }
  EXPECT_EQ(fromFile({"scale", "-", "-", "--by", "2"}), 0) << Read(dir_ / "stderr.txt");
  TBitmap scaled;
  const std::string out = Read(dir_ / "stdout.txt");
  scaled.LoadFromBytes(std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()));
  EXPECT_EQ(scaled.Width(), 64);
  EXPECT_NE(Read(dir_ / "stderr.txt").find("glyphs: 2"), std::string::npos);
  // A file named "-" is not what "-" means.
  std::ofstream(dir_ / "-") << "not a picture";
  EXPECT_EQ(fromFile({"pick", "-", dir_ / "q.bmp", "0"}), 0) << Read(dir_ / "stderr.txt");
}

// Whether a save under way holds a file in dir that is none of the given ones.
bool SavingInto(pid_t pid, const fs::path& dir, const std::set<fs::path>& known) {
  std::error_code ec;
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
    const std::string target = fs::read_symlink(fd.path(), ec).string();
    if (target.starts_with(dir.string() + "/") && !known.contains(fs::path(target))) return true;
  }
  return false;
}

TEST_F(ToolStreams, AKilledSaveLeavesTheOldFileAndNothingBeside) {
  // The largest 1-bit picture: 8 MiB in, 192 MiB of PPM out, time enough to stop it.
  testing::BmpBuilder b;
  b.Width = 8192;
  b.Height = 8192;
  b.BitCount = 1;
  b.Table = {testing::Entry(0, 0, 0), testing::Entry(255, 255, 255)};
  b.Pixels.assign(std::size_t{8192} * 1024, 0x5A);
  const fs::path big = dir_ / "big.bmp", out = dir_ / "out.ppm";
  files::WriteWholeFile(big.string(), b.Build());
  files::WriteWholeFile(out.string(), Bytes{'o', 'l', 'd'});
  const std::set<fs::path> known = {big, out, dir_ / "stdout.txt", dir_ / "stderr.txt"};
  for (const int signalNumber : {SIGINT, SIGTERM}) {
    const pid_t pid = StartTool({"decode", big.string(), out.string()}, dir_, {});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!SavingInto(pid, dir_, known) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ::kill(pid, signalNumber);
    const int status = Wait(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << "the save ended before the kill";
    std::set<fs::path> left;
    for (const auto& entry : fs::directory_iterator(dir_)) left.insert(entry.path());
    EXPECT_EQ(left, known);
    EXPECT_EQ(Read(out), "old");
  }
}

}  // namespace
}  // namespace gliffo
