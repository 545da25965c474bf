#include "app/typesetting_session.h"

#include "cli/command_line.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
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

// As in type, eval and classify: a word that begins with '-' is an option, unknown if no option has
// its name, and KEYS after "--".
TEST_F(TypesettingSubcommands, DoubleDashEndsTheOptions) {
  ASSERT_TRUE(folder.isValid());
  const std::string picture = folder.filePath("minus.png").toStdString();
  const std::vector<std::string> rows[] = {
      {"layout", "-x"}, {"layout", "--wrap", "300", "---2"}, {"render-equation", "-o", picture, "-x"}};
  for (const auto& args : rows) {
    SCOPED_TRACE(args.front() + " " + args.back());
    const Outcome bare = vexmar(args);
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.err, "vexmar: " + args.front() + ": unknown option '" + args.back() +
                            "' (to give KEYS beginning with '-', put '--' before it)\n");
    std::vector<std::string> ended = args;
    ended.insert(ended.end() - 1, "--");
    const Outcome typed = vexmar(ended);
    EXPECT_EQ(typed.status, 0) << typed.err;
    if (args.front() == "layout") {
      EXPECT_NE(typed.out.find("\n- minus "), std::string::npos) << typed.out;
    }
  }
  // render takes no KEYS: "--" ends its options all the same, and nothing may follow.
  const std::string graph = folder.filePath("graph.png").toStdString();
  EXPECT_EQ(vexmar({"render", "-e", "y=-x", "-o", graph, "--"}).status, 0);
  const Outcome extra = vexmar({"render", "-o", graph, "--", "-e", "y=x"});
  EXPECT_EQ(extra.status, 2);
  EXPECT_EQ(extra.err, "vexmar: render: unexpected argument '-e'\n");
}

// Words a user gave keep their message on one line, control characters written out.
TEST_F(TypesettingSubcommands, MessagesShowControlCharactersInTheInputWrittenOut) {
  ASSERT_TRUE(folder.isValid());
  const std::string unwritable = folder.filePath("no\nfolder/x.png").toStdString();
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* shown;
  };
  const Row rows[] = {
      {"layout --wrap", {"layout", "x", "--wrap", "1\n0"}, "'1\\n0'"},
      {"layout unknown option", {"layout", "x", "-\t"}, "'-\\t'"},
      {"render-equation output", {"render-equation", "x", "-o", unwritable}, "no\\nfolder"},
      {"render --size", {"render", "-e", "x", "--size", "2\t2", "-o", unwritable}, "'2\\t2'"},
      {"render --curve-mode", {"render", "-e", "x", "--curve-mode", "\x01", "-o", unwritable}, "'\\x01'"},
      {"render --style", {"render", "-e", "x", "--style", "2\n", "-o", unwritable}, "'2\\n'"},
      {"render keys", {"render", "-e", "{\r}", "-o", unwritable}, "'{\\r}'"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Outcome o = vexmar(r.args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_NE(o.err.find(r.shown), std::string::npos) << o.err;
  }
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

// --text gives an equation in its text form where -e types it; both in the order given.
TEST_F(TypesettingSubcommands, RenderTakesEquationsAsTextFormsToo) {
  ASSERT_TRUE(folder.isValid());
  const std::string typed = folder.filePath("typed.png").toStdString();
  const std::string text = folder.filePath("text.png").toStdString();
  const Outcome keys = vexmar({"render", "-e", "y=x^2", "-e", "y=?", "-e", "y=x", "-o", typed});
  ASSERT_EQ(keys.status, 0) << keys.err;
  const Outcome trees = vexmar({"render", "--text", "equal[char[y],power[char[x],num[2,\"2\"]]]", "-e", "y=?",
                                "--text", "equal[char[y],char[x]]", "-o", text});
  ASSERT_EQ(trees.status, 0) << trees.err;
  EXPECT_EQ(trees.out, keys.out);
  EXPECT_EQ(trees.out.rfind("1: form 1 graph 0 status 0\n2: reason 1 ", 0), 0u) << trees.out;
  QImage fromKeys, fromText;
  ASSERT_TRUE(fromKeys.load(QString::fromStdString(typed)));
  ASSERT_TRUE(fromText.load(QString::fromStdString(text)));
  EXPECT_TRUE(fromKeys == fromText);

  // A text form that does not read is bad input, named by its place.
  const Outcome bad = vexmar({"render", "-e", "y=x", "--text", "plus[", "-o", text});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err.rfind("vexmar: render: equation 2: ", 0), 0u) << bad.err;
  EXPECT_EQ(vexmar({"render", "--text", "-o", text}).status, 2); // --text takes the next word
}

// --style sets every equation's plot style: density and contour plots are drawn in the plane, a
// surface belongs to space.
TEST_F(TypesettingSubcommands, RenderStyleChoosesDensityOrContour) {
  ASSERT_TRUE(folder.isValid());
  const std::string file = folder.filePath("style.png").toStdString();
  struct Row {
    const char* style;
    const char* out;
  };
  for (const Row& row : {Row{"2", "1: form 5 graph 0 status 0\n2: form 5 graph 1 status 0\n"},
                         Row{"3", "1: form 5 graph 0 status 0\n2: form 5 graph 1 status 10 Undefined or "
                                  "constant throughout the region shown\n"}}) {
    SCOPED_TRACE(row.style);
    const Outcome o =
        vexmar({"render", "-e", "z=x y", "-e", "z=1", "--style", row.style, "--size", "120x90", "-o", file});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, row.out);
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString(file)));
  }
  const Outcome bad = vexmar({"render", "-e", "z=x y", "--style", "4", "-o", file});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "vexmar: render: --style needs 1 (surface), 2 (density) or 3 (contour) ('4')\n");
}

} // namespace
} // namespace vexmar
