// What gliffo-tool says about itself: the overview, the version, the manual page.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/run_tool.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

struct Listed {
  std::string Name, Summary;
};

// The commands of the overview: a usage line indented by two, its summary by six.
std::vector<Listed> OverviewCommands(const std::string& overview) {
  std::vector<Listed> commands;
  std::istringstream lines(overview);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("      ", 0) == 0 && !commands.empty()) commands.back().Summary = line.substr(6);
    else if (line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ')
      commands.push_back({line.substr(2, line.find(' ', 2) - 2), ""});
  }
  return commands;
}

class ToolTest : public ::testing::Test {
 protected:
  testing::ToolResult Run(const std::vector<std::string>& args) const { return testing::RunTool(args, folder_.Path()); }
  testing::TempFolder folder_;
};

TEST_F(ToolTest, VersionAndOverview) {
  testing::ToolResult r = Run({"--version"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, std::string("gliffo-tool ") + GLIFFO_VERSION + "\n");

  r = Run({"--help"});
  ASSERT_EQ(r.Status, 0);
  const std::vector<Listed> commands = OverviewCommands(r.Out);
  ASSERT_GE(commands.size(), 8u) << r.Out;
  // One voice: a lower-case verb phrase without a full stop, as the usage lines read.
  for (const Listed& c : commands) {
    ASSERT_FALSE(c.Summary.empty()) << c.Name;
    EXPECT_TRUE(c.Summary[0] >= 'a' && c.Summary[0] <= 'z') << c.Name << ": " << c.Summary;
    EXPECT_NE(c.Summary.back(), '.') << c.Name << ": " << c.Summary;
    const testing::ToolResult help = Run({c.Name, "--help"});
    EXPECT_EQ(help.Status, 0) << c.Name;
    EXPECT_NE(help.Out.find(c.Summary), std::string::npos) << c.Name;
  }

  r = Run({"no-such-command"});
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err.rfind("gliffo-tool: unknown command 'no-such-command'\n", 0), 0u) << r.Err;
}

// Each command of the overview has its own subsection in the manual page.
TEST_F(ToolTest, ManualPageDescribesEveryCommand) {
  std::ifstream file(GLIFFO_MAN_PAGE);
  ASSERT_TRUE(file) << GLIFFO_MAN_PAGE;
  const std::string page((std::istreambuf_iterator<char>(file)), {});
  const std::vector<Listed> commands = OverviewCommands(Run({"--help"}).Out);
  ASSERT_FALSE(commands.empty());
  for (const Listed& c : commands)
    EXPECT_NE(page.find("\n.SS \"" + c.Name + " "), std::string::npos) << c.Name << " is missing from the manual page";
  EXPECT_NE(page.find(".B \\-\\-version"), std::string::npos);
}

}  // namespace
}  // namespace gliffo
