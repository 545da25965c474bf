#include "cli/active_line.h"
#include "cli/subcommands.h"
#include "typeset/layout_steps.h"

#include <ostream>

namespace vexmar {

int runTypeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool caret = false;
  bool haveKeys = false, optionsEnded = false;
  std::string keys;
  const std::string* start = nullptr;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && a == "--caret") {
      caret = true;
    } else if (!optionsEnded && a == "--start") {
      if (i + 1 >= args.size()) return commandLineError(err, "type: --start needs a text form");
      start = &args[++i];
    } else if (!optionsEnded && a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return commandLineError(err, "type: unknown option '" + a + "'");
    } else if (!haveKeys) {
      keys = a;
      haveKeys = true;
    } else {
      return commandLineError(err, "type: more than one KEYS argument ('" + a + "')");
    }
  }
  if (!haveKeys) return commandLineError(err, "type: missing KEYS (see 'vexmar --help')");

  ActiveLine active;
  std::string error;
  if (start && !active.startFromText(*start, error)) return commandLineError(err, "type: --start: " + error);
  if (!active.typeKeys(keys, error)) return commandLineError(err, "type: " + error);
  // Computed numbers are shown as the equation view shows them: formatted, in scientific
  // notation when they need an exponent.
  prepareNumbers(active.line());
  out << describeLine(active.line(), caret);
  return 0;
}

} // namespace vexmar
