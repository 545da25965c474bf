#include "run_command_line.h"

#include "model/memory_reserve.h"
#include "model/work_budget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <sstream>

namespace vexmar {
namespace {

using test::Outcome;
using test::vexmar;

TEST(CommandLine, TypeOnANewEquation) {
  EXPECT_EQ(vexmar({"type", ""}).out, "prompt[]\n");
  const Outcome r = vexmar({"type", "", "--caret"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "prompt[]\ncaret: mode=0 path=- sel=0,0\n");
  EXPECT_TRUE(r.err.empty());
}

TEST(CommandLine, TypeFromAStartingTree) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* out;
  };
  const Row rows[] = {
      {"decoration command",
       {"type", "{cmd:0x1503}{cmd:0x1503}", "--start", "char[x]"},
       "char[x,0,2,0,0,0]\n"},
      {"copy and paste merge",
       {"type", "{C-c}{C-v}", "--start", "plus[char[a],char[b]]"},
       "plus[char[a],char[b]]\n"},
      {"cut leaves a prompt", {"--start", "over[char[a],char[b]]", "type", "{C-x}"}, nullptr},
      {"undo after cut",
       {"type", "{C-x}{C-z}", "--start", "over[char[a],char[b]]"},
       "over[char[a],char[b]]\n"},
      {"undo then redo", {"type", "{C-x}{C-z}{C-S-z}", "--start", "over[char[a],char[b]]"}, "prompt[]\n"},
      {"alt dot adds a dot", {"type", "{A-.}", "--start", "char[x]"}, "char[x,0,0,1,0,0]\n"},
      {"keys after --",
       {"type", "--caret", "--", "--"},
       "minus[minus[prompt[]]]\ncaret: mode=0 path=0.0 sel=0,0\n"},
      {"function name", {"type", "sin"}, "sin[prompt[]]\n"},
      {"inverse function name", {"type", "asin"}, "asin[prompt[]]\n"},
      {"special character name", {"type", "pi"}, "char[pi]\n"},
      {"scientific notation",
       {"type", "2E", "--caret"},
       "sn[num[2,\"2\"],prompt[]]\ncaret: mode=0 path=1 sel=0,0\n"},
      {"up then fraction",
       {"type", "x{Up}/", "--caret"},
       "over[char[x],prompt[]]\ncaret: mode=0 path=1 sel=0,0\n"},
      {"backspace before a term", {"type", "a+b{Left}{BS}"}, "times[char[a],char[b]]\n"},
      {"control p is pi", {"type", "{C-p}"}, "char[pi]\n"},
      {"control shift p is ignored", {"type", "{C-S-p}"}, "prompt[]\n"},
      {"shift alt p is pi", {"type", "{S-A-p}"}, "char[pi]\n"},
      {"control minus wraps", {"type", "x{Up}{C--}"}, "minus[char[x]]\n"},
      {"undo a typing run", {"type", "ab{Left}cd{C-z}"}, "times[char[a],char[b]]\n"},
      {"simplify a product", {"type", "2*3x{C-a}{C-y}"}, "times[num[6,\"6\"],char[x]]\n"},
      {"simplify a sum", {"type", "x+x{C-a}{C-y}"}, "times[num[2,\"2\"],char[x]]\n"},
      {"evaluate", {"type", "2+3{C-a}{C-=}"}, "num[5,\"5\"]\n"},
      {"expand",
       {"type", "(a+b)(c+d){C-a}{C-e}"},
       "plus[times[char[a],char[c]],times[char[a],char[d]],times[char[b],char[c]],times[char[b],char[d]]]\n"},
      {"isolate", {"type", "2x+1=5{Home}{Right}{Right}{Up}{C-i}"}, "equal[char[x],num[2,\"2\"]]\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Outcome run = vexmar(r.args);
    if (!r.out) {
      EXPECT_EQ(run.status, 2); // "--start" is not a subcommand
      continue;
    }
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, r.out);
  }
}

// Each row types KEYS with the typing habits (the default) and with --classic-typing.
TEST(CommandLine, TypeFollowsTheTypingHabitsUnlessClassicTypingIsAsked) {
  struct Row {
    const char* name;
    const char* keys;
    const char* habits;
    const char* classic;
  };
  const Row rows[] = {
      {"plus leaves the exponent", "y=x^2+1", R"(equal[char[y],plus[power[char[x],num[2,"2"]],num[1,"1"]]])",
       R"(equal[char[y],power[char[x],plus[num[2,"2"],num[1,"1"]]]])"},
      {"log typed as a word", "y=log x", "equal[char[y],log[char[x]]]",
       "equal[char[y],times[char[l],char[o],char[g],char[x]]]"},
      {"a Greek letter typed as a word", "r=2lambda", R"(equal[char[r],times[num[2,"2"],char[lambda]]])",
       R"(equal[char[r],times[num[2,"2"],char[l],char[a],char[m],char[b],char[d],char[a]]])"},
      {"underscore subscript", "x_1", R"(indexes[1,0,char[x],num[1,"1"]])", R"(times[char[x],num[1,"1"]])"},
      {"closing bar", "|x|+1", R"(plus[abs[char[x]],num[1,"1"]])",
       R"(abs[times[char[x],abs[plus[prompt[],num[1,"1"]]]]])"},
      {"Unicode minus sign", "y=2\u2212x", R"(equal[char[y],plus[num[2,"2"],minus[char[x]]]])",
       R"(equal[char[y],plus[num[2,"2"],minus[char[x]]]])"},
      {"Unicode square and pi", "A=\u03C0r\u00B2",
       "equal[char[A],times[char[pi],power[char[r],num[2,\"2\"]]]]",
       "equal[char[A],times[char[pi],power[char[r],num[2,\"2\"]]]]"},
      {"Undo goes back step by step", "ab{Left}cd{C-z}{C-z}", "prompt[]", "prompt[]"},
      {"Redo comes back", "ab{Left}cd{C-z}{C-z}{C-S-z}", "times[char[a],char[b]]", "times[char[a],char[b]]"},
      {"Enter ends a typing run", "y=x{Enter}+1{C-z}", "equal[char[y],char[x]]", "equal[char[y],char[x]]"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Outcome habits = vexmar({"type", r.keys});
    EXPECT_EQ(habits.status, 0) << habits.err;
    EXPECT_EQ(habits.out, std::string(r.habits) + "\n");
    const Outcome classic = vexmar({"type", r.keys, "--classic-typing"});
    EXPECT_EQ(classic.status, 0) << classic.err;
    EXPECT_EQ(classic.out, std::string(r.classic) + "\n");
  }
  // A classic run leaves nothing behind for the next one.
  EXPECT_EQ(vexmar({"type", "x_1"}).out, "indexes[1,0,char[x],num[1,\"1\"]]\n");
}

// Scripts can rely on either typing behaviour in every subcommand that types KEYS: the same
// KEYS give what `type` gives with the habits and with --classic-typing.
TEST(CommandLine, EverySubcommandThatTypesKeysTakesClassicTyping) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* habits;
    const char* classic;
  };
  const Row rows[] = {
      {"type",
       {"type", "|x|+1"},
       "plus[abs[char[x]],num[1,\"1\"]]\n",
       "abs[times[char[x],abs[plus[prompt[],num[1,\"1\"]]]]]\n"},
      {"eval", {"eval", "2^3+1"}, "9\n", "16\n"},
      {"eval with values", {"eval", "x^2+1", "--at", "x=3"}, "10\n", "27\n"},
      {"classify",
       {"classify", "|x|+1"},
       "form 27\n",
       "reason 1: Can't graph equations with question marks\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Outcome habits = vexmar(r.args);
    EXPECT_EQ(habits.status, 0) << habits.err;
    EXPECT_EQ(habits.out, r.habits);
    std::vector<std::string> classicArgs = r.args;
    classicArgs.insert(classicArgs.begin() + 1, "--classic-typing");
    const Outcome classic = vexmar(classicArgs);
    EXPECT_EQ(classic.status, 0) << classic.err;
    EXPECT_EQ(classic.out, r.classic);
  }
  // A text form is no KEYS: the option changes nothing there.
  EXPECT_EQ(vexmar({"eval", "--classic-typing", "--text", "power[num[2,\"2\"],num[3,\"3\"]]"}).out, "8\n");
}

TEST(CommandLine, CaretPathNamesTheCurrentObject) {
  const Outcome r = vexmar({"type", "{cmd:0x2203}", "--caret", "--start", "plus[char[a],char[b],char[c]]"});
  // Clear on the whole equation leaves a prompt; a range start gives a path.
  EXPECT_EQ(r.out, "prompt[]\ncaret: mode=0 path=- sel=0,0\n");
}

TEST(CommandLine, BadInputExitsTwoWithAOneLineMessage) {
  const std::vector<std::vector<std::string>> cases = {
      {"type", "{Nope}"},
      {"type"},
      {"type", "a", "b"},
      {"type", "a", "--bogus"},
      {"type", "a", "--start"},
      {"type", "a", "--start", "plus[char[a]"},
      {"type", "a", "--start", "nosuchkind[]"},
      {"type", "x\xC3"},
      {"frobnicate"},
      {},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.empty() ? std::string("(none)") : args.back());
    const Outcome r = vexmar(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
}

// A word that begins with '-' is an option in every subcommand, unknown if no option has its
// name; after "--" it is KEYS or EXPR, typed or evaluated.
TEST(CommandLine, DoubleDashEndsTheOptionsInEverySubcommand) {
  struct Row {
    const char* name;
    std::vector<std::string> options; ///< before the word
    const char* word;
    const char* out; ///< after "--"
  };
  const Row rows[] = {
      {"type", {"type"}, "---2", "minus[minus[minus[num[2,\"2\"]]]]\n"},
      {"type with an option", {"type", "--start", "char[x]"}, "-y", "plus[char[x],minus[char[y]]]\n"},
      {"eval", {"eval", "--at", "x=3"}, "-x", "-3\n"},
      {"classify", {"classify"}, "-y=x", "form 2\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::vector<std::string> args = r.options;
    args.push_back(r.word);
    const Outcome bare = vexmar(args);
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(
        bare.err.rfind("vexmar: " + r.options.front() + ": unknown option '" + r.word + "' (to give ", 0), 0u)
        << bare.err;
    args.insert(args.end() - 1, "--");
    const Outcome ended = vexmar(args);
    EXPECT_EQ(ended.status, 0) << ended.err;
    EXPECT_EQ(ended.out, r.out);
  }
}

// Words a user gave are shown in the message with their control characters written out, so the
// message stays one line whatever they hold.
TEST(CommandLine, MessagesShowControlCharactersInTheInputWrittenOut) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* shown; ///< in the message
  };
  const Row rows[] = {
      {"unknown subcommand", {"ty\npe", "x"}, "'ty\\npe'"},
      {"unknown option", {"type", "x", "--ca\tret"}, "'--ca\\tret'"},
      {"second KEYS", {"type", "x", "y\r\n"}, "('y\\r\\n')"},
      {"unknown key name", {"type", "{Ne\x1Bp}"}, "'{Ne\\x1Bp}'"},
      {"bad --at", {"eval", "x", "--at", "x=1\n2"}, "'x=1\\n2'"},
      {"bad --param", {"eval", "a", "--param", "a=\x7F"}, "'a=\\x7F'"},
      {"bad --interval", {"eval", "x", "--interval", "x=1:\n"}, "'x=1:\\n'"},
      {"bad keys in classify", {"classify", "{\n}"}, "'{\\n}'"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Outcome run = vexmar(r.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(r.shown), std::string::npos) << run.err;
  }
}

TEST(CommandLine, EvalPrintsValuesEnclosuresAndPrograms) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* out;
  };
  const Row rows[] = {
      {"shared square",
       {"eval", "--text", "plus[power[char[x],num[2,\"2\"]],power[char[x],num[2,\"2\"]]]", "--at", "x=3"},
       "18\n"},
      {"interval root", {"eval", "--text", "sqrt[char[x]]", "--interval", "x=4:9"}, "[2, 3]\n"},
      {"factorial", {"eval", "--text", "fact[num[5,\"5\"]]"}, "120\n"},
      {"typed keys", {"eval", "x{Up}/2", "--at", "x=3"}, "1.5\n"},
      {"division by zero", {"eval", "--text", "over[num[1,\"1\"],char[x]]"}, "inf\n"},
      {"undefined", {"eval", "--text", "ln[minus[num[1,\"1\"]]]"}, "nan\n"},
      {"parameters and animation", {"eval", "a+n", "--param", "a=2", "--anim", "0.5"}, "2.5\n"},
      {"theta given", {"eval", "--text", "times[num[2,\"2\"],char[theta]]", "--at", "theta=0.25"}, "0.5\n"},
      {"theta derived", {"eval", "--text", "char[theta]", "--at", "x=0,y=1"}, "1.5707963267948966\n"},
      {"subscripted names are parameters of their own",
       {"eval", "a_1{Right}x+a+x_2", "--param", "a_1=3,x_2=0.5,a=2", "--at", "x=4"},
       "14.5\n"},
      {"theta_1 is no theta", {"eval", "theta_1", "--param", "theta_1=7", "--at", "theta=1"}, "7\n"},
      {"program listing",
       {"eval", "--text", "plus[char[x],num[1,\"1\"]]", "--program"},
       "0: push slot 3\n1: push 1\n2: add\n3: stop\n1\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Outcome run = vexmar(r.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, r.out);
  }
}

TEST(CommandLine, EvalRejectsBadArguments) {
  const std::vector<std::vector<std::string>> cases = {
      {"eval"},
      {"eval", "x", "--at", "q=1"},
      {"eval", "x", "--at", "x=abc"},
      {"eval", "x", "--interval", "x=3:1"},
      {"eval", "x", "--interval", "x=1"},
      {"eval", "x", "--param", "=4"},
      {"eval", "x", "--anim"},
      {"eval", "--text", "plus[", "--at", "x=1"},
      {"eval", "{Nope}"},
      {"eval", "x", "y"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.back());
    const Outcome r = vexmar(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(r.err.empty());
  }
}

// Runs `vexmar eval ARGS...` for each row and checks what it prints, or that it refuses the
// arguments with status 2 and the row's message.
struct EvalRow {
  const char* name;
  std::vector<std::string> args;
  const char* out; ///< or, refused, the message after "vexmar: eval: "
  bool refused;
};

void expectEvalRuns(std::span<const EvalRow> rows) {
  for (const EvalRow& r : rows) {
    SCOPED_TRACE(r.name);
    std::vector<std::string> args = r.args;
    args.insert(args.begin(), "eval");
    const Outcome run = vexmar(args);
    if (r.refused) {
      EXPECT_EQ(run.status, 2);
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err, "vexmar: eval: " + std::string(r.out) + "\n");
    } else {
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(run.out, r.out);
    }
  }
}

// A point is a real number and a range holds one: NaN, an infinite point and a range of one
// infinity are refused by name. An infinite bound stands for no bound.
TEST(CommandLine, EvalTakesOnlyRealPointsAndRanges) {
  const EvalRow rows[] = {
      {"NaN bounds",
       {"sqrt x", "--interval", "x=nan:nan"},
       "bad --interval item 'x=nan:nan' (LO and HI must be numbers)",
       true},
      {"one NaN bound",
       {"sqrt x", "--interval", "y=0:1,x=1:NaN"},
       "bad --interval item 'x=1:NaN' (LO and HI must be numbers)",
       true},
      {"reversed bounds",
       {"x", "--interval", "x=3:1"},
       "bad --interval item 'x=3:1' (NAME=LO:HI with LO <= HI)",
       true},
      {"reversed infinite bounds",
       {"x", "--interval", "x=inf:-inf"},
       "bad --interval item 'x=inf:-inf' (NAME=LO:HI with LO <= HI)",
       true},
      {"only infinity",
       {"x", "--interval", "x=inf:inf"},
       "bad --interval item 'x=inf:inf' (the range holds no real number)",
       true},
      {"only minus infinity",
       {"e^x", "--interval", "x=-inf:-inf"},
       "bad --interval item 'x=-inf:-inf' (the range holds no real number)",
       true},
      {"NaN point", {"x", "--at", "x=nan"}, "bad --at item 'x=nan' (VALUE must be a finite number)", true},
      {"infinite theta",
       {"2theta", "--at", "theta=-inf"},
       "bad --at item 'theta=-inf' (VALUE must be a finite number)",
       true},
      {"NaN parameter",
       {"a", "--param", "a=nan"},
       "bad --param item 'a=nan' (VALUE must be a finite number)",
       true},
      {"infinite parameter",
       {"a", "--param", "a=inf"},
       "bad --param item 'a=inf' (VALUE must be a finite number)",
       true},
      {"NaN animation", {"n", "--anim", "nan"}, "--anim needs a finite number", true},
      {"no upper bound", {"sqrt x", "--interval", "x=0:inf"}, "[0, inf]\n", false},
      {"no bounds", {"sin x", "--interval", "x=-inf:inf"}, "[-1, 1]\n", false},
  };
  expectEvalRuns(rows);
}

// --param sets only the parameters the expression uses, letters or subscripted names; a value that
// nothing would read is refused by name.
TEST(CommandLine, EvalSetsOnlyParametersTheExpressionUses) {
  const EvalRow rows[] = {
      {"unknown name",
       {"a+b", "--param", "a=1,q=2"},
       "--param q: the expression has no parameter q (its parameters: a, b)",
       true},
      {"no parameters at all",
       {"x", "--param", "a=1"},
       "--param a: the expression has no parameter a (it has none)",
       true},
      {"the letter of a subscripted name",
       {"a_1", "--param", "a=1"},
       "--param a: the expression has no parameter a (its parameters: a_1)",
       true},
      {"a coordinate's subscripted name",
       {"x_2{Right}+x", "--param", "x=1"},
       "--param x: the expression has no parameter x (its parameters: x_2)",
       true},
      {"a product is no name",
       {"ab", "--param", "ab=2"},
       "--param ab: the expression has no parameter ab (its parameters: a, b)",
       true},
      {"the animated letter",
       {"a+n", "--param", "n=1"},
       "--param n: n is the animated letter (give its value with --anim)",
       true},
      {"a Greek letter", {"2alpha", "--param", "alpha=1.5"}, "3\n", false},
      {"a repeated option", {"a+b", "--param", "a=1", "--param", "b=2"}, "3\n", false},
  };
  expectEvalRuns(rows);
}

// A program the compiler refuses (error 7: its values would not fit the evaluator's stack) has no
// value to print: the message says so and the status is 2, for a point and for an interval alike,
// however often it happens in one process.
TEST(CommandLine, EvalReportsAProgramTheCompilerRefuses) {
  std::string manyValues = "comma[char[x]";
  for (int i = 0; i < 250; ++i) manyValues += ",char[x]";
  manyValues += "]";
  const std::vector<std::string> rows[] = {
      {"eval", "--text", manyValues, "--at", "x=1"},
      {"eval", "--text", manyValues, "--interval", "x=1:2"},
      {"eval", "--text", manyValues},
  };
  for (const auto& args : rows) {
    SCOPED_TRACE(args.back());
    const Outcome r = vexmar(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("vexmar: eval: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("error 7"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  // An expression that fits still gets its value after a refused one.
  EXPECT_EQ(vexmar({"eval", "--text", "comma[char[x],char[x]]", "--at", "x=1"}).status, 0);
}

// Memory that runs out partway (here an object budget, spent as allocation failure is) ends the
// command with status 2 and whole lines only: what it printed is all of its output or none of it,
// or the line as it was before an action that could not finish.
TEST(CommandLine, RunningOutOfObjectsLeavesWholeOutputOrNone) {
  const std::vector<std::string> commands[] = {
      {"type", "y=(a+b)^2{C-a}{C-e}"},
      {"type", "x+1{C-a}{C-=}", "--start", "plus[char[x],num[1,\"1\"]]", "--caret"},
      {"eval", "x^2+sin x", "--at", "x=2", "--program"},
      {"eval", "--text", "sqrt[char[x]]", "--interval", "x=4:9"},
      {"classify", "y=x_1{Right}x^2"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args[1]);
    const Outcome whole = vexmar(args);
    ASSERT_EQ(whole.status, 0) << whole.err;
    bool finished = false;
    for (std::int64_t objects = 0; objects < 400 && !finished; ++objects) {
      Outcome run{};
      {
        const WorkBudgetScope budget(objects, WorkBudget::kUnlimited);
        run = vexmar(args);
      }
      memoryReserve().reset();
      SCOPED_TRACE(objects);
      finished = run.status == 0;
      if (finished) {
        EXPECT_EQ(run.out, whole.out);
        EXPECT_EQ(run.err, "");
        continue;
      }
      EXPECT_EQ(run.status, 2);
      // Every message whole, on a line of its own.
      ASSERT_FALSE(run.err.empty());
      EXPECT_EQ(run.err.back(), '\n');
      std::istringstream messages(run.err);
      for (std::string line; std::getline(messages, line);) EXPECT_EQ(line.rfind("vexmar: ", 0), 0u) << line;
      // Output whole lines only, a prefix of what the command prints when it finishes.
      if (args.front() != "type") {
        EXPECT_EQ(whole.out.rfind(run.out, 0), 0u) << run.out;
      }
      if (!run.out.empty()) {
        EXPECT_EQ(run.out.back(), '\n') << run.out;
      }
    }
    EXPECT_TRUE(finished);
  }
}

TEST(CommandLine, HelpGoesToStandardOutput) {
  const Outcome r = vexmar({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("vexmar type KEYS"), std::string::npos);
  EXPECT_NE(r.out.find("'--' ends the options"), std::string::npos);
}

} // namespace
} // namespace vexmar
