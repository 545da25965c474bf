#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexmar {

/// Exit status of a command line that was malformed or named bad input.
inline constexpr int kUsageError = 2;

/// One headless subcommand: `args` are the words after its name. Returns the exit status.
using Subcommand = int (*)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

struct SubcommandRow {
  std::string_view name;
  Subcommand run;
  std::string_view usage; ///< "vexmar NAME ARGS\n" and indented lines explaining them
};

int runTypeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runEvalCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runClassifyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runSaveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runDumpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// The bytes of a file named on the command line; nothing when it cannot be read, after writing
/// "vexmar: COMMAND: PATH: PROBLEM" on `err`.
[[nodiscard]] std::optional<std::vector<std::uint8_t>>
readFileArgument(std::string_view command, const std::string& path, std::ostream& err);

/// Writes "vexmar: MESSAGE" on `err`, MESSAGE as one line (see printableText), and returns
/// kUsageError.
int commandLineError(std::ostream& err, const std::string& message);
/// The line's text form, followed with `caret` by its caret line.
[[nodiscard]] std::string describeLine(const struct InsertionPoint& ip, bool caret);

} // namespace vexmar
