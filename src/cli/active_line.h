#pragma once

#include "cli/option_parser.h"
#include "editor/typing_habits.h"
#include "model/insertion_point.h"

#include <memory>
#include <string>

namespace vexmar {

/// The option of every subcommand that takes KEYS: the typing habits off, keys as they always were.
inline constexpr OptionRow kClassicTypingOption{"--classic-typing"};
/// The habits a command line types its KEYS with: classic when it has kClassicTypingOption (which
/// its table must hold), today's otherwise.
[[nodiscard]] TypingHabits typingHabitsOf(const ParsedOptions& options);

/// An equation line that is the active one for as long as this object lives: what the headless
/// subcommands type into.
class ActiveLine {
public:
  /// The line is typed into with `habits`, whatever a previous command in the process chose.
  explicit ActiveLine(const TypingHabits& habits = {});
  ~ActiveLine();
  ActiveLine(const ActiveLine&) = delete;
  ActiveLine& operator=(const ActiveLine&) = delete;

  /// Starts from the tree in `text` (text form), whole equation selected; false with a message
  /// in `error` when the text is invalid.
  bool startFromText(const std::string& text, std::string& error);
  /// Feeds KEYS (see the `type` subcommand) as typed into the equation view; false with a
  /// message in `error` when KEYS is malformed (nothing is typed then).
  bool typeKeys(const std::string& keys, std::string& error);

  [[nodiscard]] InsertionPoint& line() { return *line_; }

private:
  std::unique_ptr<InsertionPoint> line_;
};

} // namespace vexmar
