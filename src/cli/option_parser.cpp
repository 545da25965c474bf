#include "cli/option_parser.h"

#include <algorithm>
#include <cassert>
#include <cctype>

namespace vexmar {
namespace {

const OptionRow* findOption(std::span<const OptionRow> options, std::string_view name) {
  const auto row =
      std::find_if(options.begin(), options.end(), [&](const OptionRow& r) { return r.name == name; });
  return row == options.end() ? nullptr : &*row;
}

// A lone "-" is never an option: it is KEYS, a minus sign.
bool isOptionWord(std::string_view word) { return word.size() > 1 && word.front() == '-'; }

// An unknown word such as "-x" or "---2" may be KEYS meant as typed: say how to give it.
bool mayBeMeantAsPositional(std::string_view word) {
  return !(word.size() > 2 && word.starts_with("--") && std::isalpha(static_cast<unsigned char>(word[2])));
}

} // namespace

bool ParsedOptions::has(std::string_view option) const {
  assert(findOption(options, option) && "not an option of this command");
  return std::any_of(given.begin(), given.end(), [&](const auto& g) { return g.first == option; });
}

const std::string* ParsedOptions::value(std::string_view option) const {
  assert(findOption(options, option) && "not an option of this command");
  for (const auto& [name, value] : given)
    if (name == option) return &value;
  return nullptr;
}

std::vector<std::string> ParsedOptions::values(std::string_view option) const {
  assert(findOption(options, option) && "not an option of this command");
  std::vector<std::string> found;
  for (const auto& [name, value] : given)
    if (name == option) found.push_back(value);
  return found;
}

ParsedOptions parseOptions(const std::vector<std::string>& args, const CommandSyntax& syntax) {
  ParsedOptions parsed;
  parsed.options = syntax.options;
  const std::string command(syntax.command);
  auto fail = [&](const std::string& message) {
    parsed.given.clear();
    parsed.positionals.clear();
    parsed.error = command + ": " + message;
    return parsed;
  };

  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
      continue;
    }
    if (optionsEnded || !isOptionWord(word)) {
      if (parsed.positionals.size() == syntax.positionals.size()) {
        if (syntax.positionals.size() == 1)
          return fail("more than one " + std::string(syntax.positionals.front()) + " argument ('" + word +
                      "')");
        return fail("unexpected argument '" + word + "'");
      }
      parsed.positionals.push_back(word);
      continue;
    }
    const OptionRow* row = findOption(syntax.options, word);
    if (!row) {
      std::string message = "unknown option '" + word + "'";
      if (!syntax.positionals.empty() && mayBeMeantAsPositional(word))
        message += " (to give " + std::string(syntax.positionals.back()) +
                   " beginning with '-', put '--' before it)";
      return fail(message);
    }
    const bool givenBefore = parsed.has(row->name);
    if (row->valueName.empty()) {
      if (!givenBefore) parsed.given.emplace_back(row->name, std::string());
      continue;
    }
    if (i + 1 >= args.size()) return fail(word + " needs " + std::string(row->valueName));
    // Scripts may rely on a later value overriding an earlier one, as it always has.
    if (givenBefore && row->occurs != Occurs::Repeatable) {
      for (auto& [name, value] : parsed.given)
        if (name == row->name) value = args[i + 1];
      ++i;
      continue;
    }
    parsed.given.emplace_back(row->name, args[++i]);
  }

  if (parsed.positionals.size() < syntax.positionals.size())
    return fail("missing " + std::string(syntax.positionals[parsed.positionals.size()]) +
                " (see 'vexmar --help')");
  for (const OptionRow& row : syntax.options)
    if (row.occurs == Occurs::Required && !parsed.has(row.name))
      return fail("missing " + std::string(row.name) + (row.valueName.empty() ? "" : " ") +
                  std::string(row.valueName));
  return parsed;
}

} // namespace vexmar
