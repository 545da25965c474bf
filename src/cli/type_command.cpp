#include "cli/active_line.h"
#include "cli/option_parser.h"
#include "cli/subcommands.h"
#include "typeset/layout_steps.h"

#include <ostream>

namespace vexmar {

int runTypeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  static constexpr OptionRow kOptions[] = {{"--caret"}, {"--start", "TEXT"}, kClassicTypingOption};
  static constexpr std::string_view kPositionals[] = {"KEYS"};
  const ParsedOptions options = parseOptions(args, {"type", kOptions, kPositionals});
  if (!options.error.empty()) return commandLineError(err, options.error);
  const std::string& keys = options.positionals.front();
  const std::string* start = options.value("--start");

  ActiveLine active(typingHabitsOf(options));
  std::string error;
  if (start && !active.startFromText(*start, error)) return commandLineError(err, "type: --start: " + error);
  if (!active.typeKeys(keys, error)) return commandLineError(err, "type: " + error);
  // Computed numbers are shown as the equation view shows them: formatted, in scientific
  // notation when they need an exponent.
  prepareNumbers(active.line());
  out << describeLine(active.line(), options.has("--caret"));
  return 0;
}

} // namespace vexmar
