#include "app/typesetting_session.h"

#include "cli/command_line.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace vexmar {
namespace {

// The subcommands run in process with the real fonts, as main() runs them.
struct TypesettingSubcommands : ::testing::Test {
  // Kept for the whole run: each subcommand's own session then finds an application.
  static TypesettingSession& session() {
    static TypesettingSession s;
    return s;
  }
  void SetUp() override { (void)session(); }

  struct Outcome {
    int status;
    std::string out, err;
  };
  static Outcome vexmar(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runCommandLine(args, out, err, typesettingSubcommands());
    return {status, out.str(), err.str()};
  }
  QTemporaryDir folder;
};

// The same KEYS give another equation with --classic-typing in each subcommand that draws or
// lays out what it types: x^2+1 is x² + 1 with the habits, x to the power 2 + 1 without.
TEST_F(TypesettingSubcommands, EverySubcommandThatTypesKeysTakesClassicTyping) {
  ASSERT_TRUE(folder.isValid());
  const std::string picture = folder.filePath("equation.png").toStdString();
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* habits;  ///< what the output begins with, typed with the habits
    const char* classic; ///< and with --classic-typing
  };
  const Row rows[] = {
      {"layout", {"layout", "x^2+1"}, "- plus ", "- power "},
      {"render",
       {"render", "-e", "y=|x|+1", "-o", folder.filePath("graph.png").toStdString()},
       "1: form 1 ",
       "1: reason 1 "},
      {"type with the typesetter", {"type", "x^2+1"}, "plus[power[", "power[char[x],plus["},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    for (const bool classic : {false, true}) {
      std::vector<std::string> args = r.args;
      if (classic) args.push_back("--classic-typing");
      const Outcome o = vexmar(args);
      ASSERT_EQ(o.status, 0) << o.err;
      const std::string expected = classic ? r.classic : r.habits;
      // layout prints the whole equation's size first.
      const std::string shown = r.args.front() == "layout" ? o.out.substr(o.out.find('\n') + 1) : o.out;
      EXPECT_EQ(shown.rfind(expected, 0), 0u) << o.out;
    }
  }

  // render-equation draws what it typed: the two pictures differ in size.
  QImage drawn[2];
  for (const bool classic : {false, true}) {
    std::vector<std::string> args = {"render-equation", "x^2+1", "-o", picture};
    if (classic) args.insert(args.begin() + 1, "--classic-typing");
    const Outcome o = vexmar(args);
    ASSERT_EQ(o.status, 0) << o.err;
    ASSERT_TRUE(drawn[classic].load(QString::fromStdString(picture)));
  }
  EXPECT_NE(drawn[0].size(), drawn[1].size());
}

// y = a_1 x graphs as y = a x does: a_1 is a parameter of its own with the same first value; so
// does y = x_1 x, x_1 being no x.
TEST_F(TypesettingSubcommands, RenderGraphsSubscriptedNamesAsParameters) {
  ASSERT_TRUE(folder.isValid());
  const struct {
    const char* keys;
    const char* file;
  } rows[] = {{"y=a x", "plain.png"}, {"y=a_1{Right}x", "subscripted.png"}, {"y=x_1{Right}x", "x1.png"}};
  QImage pictures[3];
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(rows[i].keys);
    const std::string file = folder.filePath(rows[i].file).toStdString();
    const Outcome o = vexmar({"render", "-e", rows[i].keys, "--size", "200x150", "-o", file});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "1: form 1 graph 0 status 0\n");
    ASSERT_TRUE(pictures[i].load(QString::fromStdString(file)));
  }
  EXPECT_TRUE(pictures[1] == pictures[0]);
  EXPECT_TRUE(pictures[2] == pictures[0]);
}

} // namespace
} // namespace vexmar
