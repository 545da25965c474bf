#pragma once

#include "editor/editor_command.h"
#include "model/insertion_point.h"

#include <span>
#include <string_view>

namespace vexmar {

/// Habits of today's users that change what a typed key does. Each is a preference, on unless the
/// classic typing is asked for; the editor reads them from its state.
struct TypingHabits {
  /// + − = < > and a comma typed at the end of an exponent or subscript leave it first.
  bool leaveScripts = true;
  /// log, sqrt, abs and the Greek letter names typed as words become their objects.
  bool namesAsWords = true;
  /// An underscore starts a subscript on what precedes the caret.
  bool underscoreSubscripts = true;
  /// A bar typed at the end of an absolute value's content closes it.
  bool closingBars = true;

  /// Every habit off: keys do what they always did.
  [[nodiscard]] static constexpr TypingHabits classic() { return {false, false, false, false}; }
  bool operator==(const TypingHabits&) const = default;
};

/// One habit: the name of its preference in the settings and its menu text.
struct TypingHabitRow {
  std::string_view setting;
  std::string_view label;
  bool TypingHabits::*field;
};

/// The habits, one row each.
[[nodiscard]] std::span<const TypingHabitRow> typingHabitTable();

/// The command of a key that only the habits give a meaning (the underscore), or 0.
[[nodiscard]] EditorCommand habitKeyCommand(int character, const TypingHabits& habits);

/// What the habits do before a typed key's command is dispatched: leaving the exponent or
/// subscript that the caret ends before an operator key, or closing an absolute value on a bar.
/// Returns the command still to dispatch, or 0 when the habit did all the key asks.
[[nodiscard]] EditorCommand applyTypingHabits(InsertionPoint& ip, EditorCommand code,
                                              const TypingHabits& habits);

} // namespace vexmar
