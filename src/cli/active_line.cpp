#include "cli/active_line.h"

#include "cli/key_routing.h"
#include "cli/key_script.h"
#include "editor/editor_state.h"
#include "model/model_state.h"
#include "text/object_text.h"

namespace vexmar {

TypingHabits typingHabitsOf(const ParsedOptions& options) {
  return options.has(kClassicTypingOption.name) ? TypingHabits::classic() : TypingHabits{};
}

ActiveLine::ActiveLine(const TypingHabits& habits) : line_(createLineState()) {
  resetEditorState();
  editorState().habits = habits;
  modelState().activeInsertionPoint = line_.get();
}

ActiveLine::~ActiveLine() {
  if (modelState().activeInsertionPoint == line_.get()) modelState().activeInsertionPoint = nullptr;
  editorState().undo.forgetLine(line_->serial);
}

bool ActiveLine::startFromText(const std::string& text, std::string& error) {
  ObjectTextReadResult read = readObjectTextChecked(text);
  if (!read.object) {
    error = read.message + " at offset " + std::to_string(read.offset);
    return false;
  }
  line_->setRoot(std::move(read.object));
  return true;
}

bool ActiveLine::typeKeys(const std::string& keys, std::string& error) {
  const KeyScript script = parseKeyScript(keys);
  if (!script.error.empty()) {
    error = script.error;
    return false;
  }
  for (const KeyStroke& stroke : script.strokes) routeKeyStroke(stroke);
  return true;
}

} // namespace vexmar
