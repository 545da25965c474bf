#pragma once

#include "app/qt_font_services.h"
#include "cli/subcommands.h"
#include "editor/typing_habits.h"
#include "typeset/typesetter.h"

#include <QGuiApplication>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexmar {

/// What the headless typesetting subcommands share: Qt without a display (the offscreen platform
/// unless QT_QPA_PLATFORM says otherwise), the real fonts at the screen's vertical resolution, and
/// a typesetter installed for the editor so that Shift+arrows select as in the window.
class TypesettingSession {
public:
  TypesettingSession();
  ~TypesettingSession();
  TypesettingSession(const TypesettingSession&) = delete;
  TypesettingSession& operator=(const TypesettingSession&) = delete;

  [[nodiscard]] Typesetter& typesetter() { return *typesetter_; }

private:
  std::unique_ptr<QGuiApplication> application_;
  std::unique_ptr<QtFontServices> fonts_;
  std::unique_ptr<Typesetter> typesetter_;
  /// The editor's typesetter before the session (a window's), put back at its end.
  Typesetter* previousTypesetter_ = nullptr;
};

/// The words of `layout` and `render-equation`.
struct EquationArguments {
  std::string keys;
  std::optional<std::string> start; ///< --start TEXT
  std::optional<double> wrap;       ///< --wrap PIXELS
  std::string output;               ///< -o FILE
  bool caret = false;               ///< --caret
  TypingHabits habits;              ///< classic with --classic-typing
};

/// Reads KEYS and the options a typesetting subcommand takes (-o only when `takesOutput`); false
/// with a message when an argument is missing, unknown or malformed.
bool readEquationArguments(std::string_view command, const std::vector<std::string>& args, bool takesOutput,
                           EquationArguments& out, std::string& error);

/// `layout`, `render-equation` and `render`: the subcommands that need the fonts or images of Qt;
/// and `type`, which runs with the real typesetter installed.
[[nodiscard]] std::span<const SubcommandRow> typesettingSubcommands();

int runTypesetTypeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runLayoutCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runRenderEquationCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vexmar
