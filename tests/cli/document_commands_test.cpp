#include "run_command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vexmar {
namespace {

using test::Outcome;
using test::vexmar;

struct DocumentCommands : ::testing::Test {
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() / ("vexmar-cli-grf-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  [[nodiscard]] std::string file(const char* name) const { return (folder / name).string(); }
  std::filesystem::path folder;
};

TEST_F(DocumentCommands, SaveWritesWhatDumpLists) {
  const Outcome saved = vexmar({"save", "--text", "-e", "equal[char[y],char[x]]", "-e", "prompt[]", "--param",
                                "a=2,b=-0.25", "--param", "alpha=1e-3", "-o", file("d.grf")});
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, "");
  const Outcome dump = vexmar({"dump", file("d.grf")});
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(dump.out.substr(0, dump.out.find("GST1")),
            "version 10\n"
            "EQN1 84 style 1 mode 2 resA 0.5 colour 1 resB 1 text equal[char[y],char[x]]\n"
            "EQN1 76 style 1 mode 2 resA 0.5 colour 2 resB 1 text prompt[]\n"
            "PAR1 80 count 3 a=2 on b=-0.25 on alpha=0.001 on\n");
  EXPECT_NE(dump.out.find("\nANM1 36 highest 10 lowest 0 steps 10"), std::string::npos);
}

TEST_F(DocumentCommands, BadInputGivesOneLineAndStatus2) {
  std::ofstream(file("junk.grf")) << "junk";
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* message;
  };
  const std::vector<Row> rows = {
      {"dump of a missing file", {"dump", file("none.grf")}, "No such file"},
      {"dump of a damaged file", {"dump", file("junk.grf")}, "not a Vexmar document"},
      {"dump without a file", {"dump"}, "FILE.grf"},
      {"save without -o", {"save", "-e", "y=x"}, "-o"},
      {"save of a bad text form", {"save", "--text", "-e", "plus[", "-o", file("x.grf")}, "equation 1"},
      {"save with a parameter not a letter", {"save", "--param", "1=2", "-o", file("x.grf")}, "--param"},
      {"save with an infinite parameter", {"save", "--param", "a=inf", "-o", file("x.grf")}, "--param"},
      {"save into a missing folder", {"save", "-o", file("none/x.grf")}, "cannot write in"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Outcome outcome = vexmar(row.args);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(row.message), std::string::npos) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
  }
  EXPECT_FALSE(std::filesystem::exists(file("x.grf")));
}

} // namespace
} // namespace vexmar
