#pragma once
// Runs gliffo-tool as its own process, no shell in between, and collects what it printed.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace gliffo::testing {

struct ToolResult {
  int Status = -1;
  std::string Out, Err;
};

// The tool's standard output and error go through files in dir.
inline ToolResult RunTool(const std::vector<std::string>& args, const std::filesystem::path& dir) {
  const std::filesystem::path outFile = dir / "stdout.txt", errFile = dir / "stderr.txt";
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::string tool = GLIFFO_TOOL_PATH;
    std::vector<std::string> copy = args;
    std::vector<char*> argv{tool.data()};
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (!std::freopen(outFile.c_str(), "w", stdout) || !std::freopen(errFile.c_str(), "w", stderr)) ::_exit(127);
    ::execv(tool.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ToolResult r;
  r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream out(outFile), err(errFile);
  r.Out.assign(std::istreambuf_iterator<char>(out), {});
  r.Err.assign(std::istreambuf_iterator<char>(err), {});
  return r;
}

}  // namespace gliffo::testing
