#include "app/typesetting_session.h"

#include "cli/active_line.h"
#include "cli/option_parser.h"
#include "cli/subcommands.h"
#include "editor/editor_state.h"

#include <QScreen>

#include <charconv>
#include <cstdio>
#include <iostream>

namespace vexmar {
namespace {

constexpr int kHeadlessDotsPerInch = 96;

// Headless runs have no use for Qt's notes about the missing display; real failures still show.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << "vexmar: " << message.toStdString() << '\n';
}

int screenDotsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen ? static_cast<int>(screen->logicalDotsPerInchY() + 0.5) : 0;
  return dpi > 0 ? dpi : kHeadlessDotsPerInch;
}

bool readPixels(const std::string& text, double& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value > 0 && value <= 30000;
}

} // namespace

TypesettingSession::TypesettingSession() {
  if (!QCoreApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    static int argc = 1;
    static char name[] = "vexmar";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<QGuiApplication>(argc, argv);
  }
  fonts_ = std::make_unique<QtFontServices>(screenDotsPerInch());
  typesetter_ = std::make_unique<Typesetter>(*fonts_);
  previousTypesetter_ = editorState().typesetter;
  editorState().typesetter = typesetter_.get();
}

TypesettingSession::~TypesettingSession() {
  if (editorState().typesetter == typesetter_.get()) editorState().typesetter = previousTypesetter_;
}

bool readEquationArguments(std::string_view command, const std::vector<std::string>& args, bool takesOutput,
                           EquationArguments& out, std::string& error) {
  // layout accepts --caret too (and ignores it); -o comes last so that layout's table is the rest.
  static constexpr OptionRow kOptions[] = {{"--caret"},
                                           {"--start", "TEXT"},
                                           {"--wrap", "PIXELS"},
                                           kClassicTypingOption,
                                           {"-o", "FILE.png", Occurs::Required}};
  static constexpr std::string_view kPositionals[] = {"KEYS"};
  const std::span<const OptionRow> options(kOptions,
                                           takesOutput ? std::size(kOptions) : std::size(kOptions) - 1);
  const ParsedOptions parsed = parseOptions(args, {command, options, kPositionals});
  if (!parsed.error.empty()) {
    error = parsed.error;
    return false;
  }
  const std::string name(command);
  out.keys = parsed.positionals.front();
  out.caret = parsed.has("--caret");
  out.habits = typingHabitsOf(parsed);
  if (const std::string* start = parsed.value("--start")) out.start = *start;
  if (const std::string* wrap = parsed.value("--wrap")) {
    double pixels = 0;
    if (!readPixels(*wrap, pixels)) {
      error = name + ": --wrap needs a width in pixels from 1 to 30000, not '" + *wrap + "'";
      return false;
    }
    out.wrap = pixels;
  }
  if (takesOutput) {
    out.output = *parsed.value("-o");
    if (out.output.empty()) {
      error = name + ": missing -o FILE.png";
      return false;
    }
  }
  return true;
}

int runTypesetTypeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  // Shift+arrows select what a drag over the typeset equation would, as in the window.
  TypesettingSession session;
  return runTypeCommand(args, out, err);
}

std::span<const SubcommandRow> typesettingSubcommands() {
  // clang-format off
  static constexpr SubcommandRow kRows[] = {
      {"type", runTypesetTypeCommand, {}}, // the Qt-free type's usage
      {"layout", runLayoutCommand,
       "vexmar layout KEYS [--start TEXT] [--wrap PIXELS] [--classic-typing]\n"
       "    types KEYS as 'type' does, lays the equation out with the real fonts and prints\n"
       "    'width=W ascent=A descent=D' and one line per node in pre-order:\n"
       "    'PATH KIND left=L bottom=B width=W ascent=A descent=D' (pixels)\n"},
      {"render-equation", runRenderEquationCommand,
       "vexmar render-equation KEYS -o FILE.png [--caret] [--start TEXT] [--wrap PIXELS]\n"
       "                       [--classic-typing]\n"
       "    draws the typeset equation black on white into a PNG, with the caret or\n"
       "    selection when asked; --wrap breaks lines wider than PIXELS\n"},
      {"render", runRenderCommand,
       "vexmar render [--open FILE.grf] [-e KEYS | --text TREE]... [--size WxH] [--curve-mode 0|1|2]\n"
       "              [--range NAME=LO:HI]... [--window XMIN:XMAX,YMIN:YMAX] [--resolution A]\n"
       "              [--style 1|2|3] [--param NAME=VALUE,...]... [--animate NAME=FROM:TO --frames N]\n"
       "              [--colour INDEX] [--view AZIMUTH,ELEVATION] [--spin-frames N]\n"
       "              [--bench-frames N] [--classic-typing] -o FILE.png\n"
       "    builds one equation per -e (typed as KEYS) or --text (a text form), in the order\n"
       "    given, computes every graph to completion and writes the graph pane's picture\n"
       "    (default 640x480); prints for each equation 'N: form F graph G status S [MESSAGE]'\n"
       "    or 'N: reason R MESSAGE'; --range sets the t, r or theta range, and in space also\n"
       "    x, y, z, phi, u or v (LO and HI may end in pi: 0:2pi), --window shows the region at the nearest scale and prints it as\n"
       "    'window: XMIN XMAX YMIN YMAX', --resolution (0 to 1) sets every equation's\n"
       "    resolution A, --style its plot style (1 surface, 2 density, 3 contour);\n"
       "    --param sets parameters (a Greek letter by its name: alpha=2); --animate with\n"
       "    --frames writes N pictures FILE-0001.png ... with NAME running from FROM to TO\n"
       "    (-o gives the FILE prefix); --open starts from a saved document: its equations,\n"
       "    their settings, its ranges, its parameters and its slider come first, and the\n"
       "    options above change them; --colour gives every equation a colour (1 to 8) or a\n"
       "    pattern (10 to 16); for graphs in space --view turns the box to an azimuth and\n"
       "    elevation in degrees and --spin-frames turns it on by N spin steps; --bench-frames\n"
       "    draws N more frames, each a spin step on, and prints 'frames N ms-per-frame T'\n"},
  };
  // clang-format on
  return kRows;
}

} // namespace vexmar
