#include "cli/option_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexmar {
namespace {

// KEYS and options (as type, eval, classify).
constexpr OptionRow kKeysOptions[] = {{"--flag"}, {"--value", "V"}, {"--list", "ITEMS", Occurs::Repeatable}};
constexpr std::string_view kKeys[] = {"KEYS"};
constexpr CommandSyntax kKeysSyntax{"keys", kKeysOptions, kKeys};

// KEYS and a required option (as layout and render-equation).
constexpr OptionRow kDashOptions[] = {{"--flag"}, {"-o", "FILE", Occurs::Required}};
constexpr CommandSyntax kDashSyntax{"dash", kDashOptions, kKeys};

// Options only (as render).
constexpr OptionRow kOnlyOptions[] = {{"-e", "KEYS", Occurs::Repeatable}, {"-o", "FILE", Occurs::Required}};
constexpr CommandSyntax kOnlySyntax{"only", kOnlyOptions, {}};

// "NAME=VALUE ... | POSITIONAL ...", or the error.
std::string describe(const ParsedOptions& parsed) {
  if (!parsed.error.empty()) return parsed.error;
  std::string text;
  for (const auto& [name, value] : parsed.given)
    text += std::string(name) + (value.empty() ? "" : "=") + value + ' ';
  text += '|';
  for (const std::string& word : parsed.positionals) text += ' ' + word;
  return text;
}

TEST(OptionParser, SplitsOptionsFromPositionalsOrSaysWhatIsWrong) {
  struct Row {
    const char* name;
    const CommandSyntax& syntax;
    std::vector<std::string> args;
    const char* expected;
  };
  const Row rows[] = {
      {"options before and after", kKeysSyntax, {"--flag", "x", "--value", "v"}, "--flag --value=v | x"},
      {"flag twice counts once", kKeysSyntax, {"--flag", "x", "--flag"}, "--flag | x"},
      {"repeatable keeps order", kKeysSyntax, {"--list", "a", "x", "--list", "b"}, "--list=a --list=b | x"},
      {"value taken as it is", kKeysSyntax, {"--value", "--flag", "x"}, "--value=--flag | x"},
      {"KEYS with a minus sign after double dash", kKeysSyntax, {"--", "-x"}, "| -x"},
      {"KEYS with dashes after double dash", kKeysSyntax, {"--flag", "--", "---2"}, "--flag | ---2"},
      {"options before double dash only",
       kKeysSyntax,
       {"--", "x", "--flag"},
       "keys: more than one KEYS argument ('--flag')"},
      {"minus sign is an option",
       kKeysSyntax,
       {"-x"},
       "keys: unknown option '-x' (to give KEYS beginning with '-', put '--' before it)"},
      {"dashes are an option",
       kKeysSyntax,
       {"---2"},
       "keys: unknown option '---2' (to give KEYS beginning with '-', put '--' before it)"},
      {"double dash ends options", kKeysSyntax, {"--flag", "--", "--value"}, "--flag | --value"},
      {"second double dash is KEYS", kKeysSyntax, {"--", "--"}, "| --"},
      {"unknown option", kKeysSyntax, {"x", "--bogus"}, "keys: unknown option '--bogus'"},
      {"no value at the end", kKeysSyntax, {"x", "--value"}, "keys: --value needs V"},
      {"later value wins", kKeysSyntax, {"--value", "a", "--value", "b", "x"}, "--value=b | x"},
      {"missing KEYS", kKeysSyntax, {"--flag"}, "keys: missing KEYS (see 'vexmar --help')"},
      {"second KEYS", kKeysSyntax, {"x", "y"}, "keys: more than one KEYS argument ('y')"},
      {"dash alone is KEYS", kDashSyntax, {"-", "-o", "f"}, "-o=f | -"},
      {"dashed word after double dash", kDashSyntax, {"-o", "f", "--", "-x"}, "-o=f | -x"},
      {"dashed word is an option",
       kDashSyntax,
       {"-x", "-o", "f"},
       "dash: unknown option '-x' (to give KEYS beginning with '-', put '--' before it)"},
      {"required option missing", kDashSyntax, {"x"}, "dash: missing -o FILE"},
      {"KEYS missing before -o", kDashSyntax, {}, "dash: missing KEYS (see 'vexmar --help')"},
      {"options only", kOnlySyntax, {"-e", "-o", "-o", "f", "-e", "b"}, "-e=-o -o=f -e=b |"},
      {"double dash without positionals", kOnlySyntax, {"-o", "f", "--"}, "-o=f |"},
      {"nothing taken after double dash", kOnlySyntax, {"--", "-o", "f"}, "only: unexpected argument '-o'"},
      {"unknown option needs no hint", kOnlySyntax, {"-x", "-o", "f"}, "only: unknown option '-x'"},
      {"no positional taken", kOnlySyntax, {"-o", "f", "x"}, "only: unexpected argument 'x'"},
      {"required option given twice", kOnlySyntax, {"-o", "f", "-o", "g"}, "-o=g |"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(describe(parseOptions(r.args, r.syntax)), r.expected);
  }
}

TEST(OptionParser, LooksUpValuesByName) {
  const ParsedOptions parsed = parseOptions({"--list", "a", "--value", "v", "x", "--list", "b"}, kKeysSyntax);
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  EXPECT_FALSE(parsed.has("--flag"));
  EXPECT_EQ(parsed.value("--flag"), nullptr);
  ASSERT_NE(parsed.value("--value"), nullptr);
  EXPECT_EQ(*parsed.value("--value"), "v");
  EXPECT_EQ(parsed.values("--list"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(parsed.values("--flag").empty());
}

} // namespace
} // namespace vexmar
