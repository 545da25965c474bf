#include "cli/command_line.h"

#include "algebra/actions/algebra_actions.h"
#include "cli/printable_text.h"
#include "cli/subcommands.h"
#include "editor/dispatcher.h"
#include "model/insertion_point.h"
#include "model/memory_reserve.h"
#include "text/object_text.h"

#include <array>
#include <new>
#include <ostream>
#include <sstream>
#include <string_view>
#include <vector>

namespace vexmar {
namespace {

// clang-format off
const std::array kSubcommands = {
    SubcommandRow{"type", runTypeCommand,
     "vexmar type KEYS [--caret] [--start TEXT] [--classic-typing]\n"
     "    feeds KEYS to a new equation as if typed into the equation view and prints the\n"
     "    equation's text form; --caret adds 'caret: mode=M path=P sel=F,L'; --start TEXT\n"
     "    begins from a tree in text form, whole equation selected; --classic-typing turns\n"
     "    the typing habits off (+ - = < > , leaving an exponent, names such as log and\n"
     "    alpha typed as words, _ for a subscript, | closing an absolute value)\n"},
    SubcommandRow{"eval", runEvalCommand,
     "vexmar eval [--text] EXPR [--at NAME=VALUE,...] [--interval NAME=LO:HI,...]\n"
     "            [--param NAME=VALUE,...] [--anim VALUE] [--program] [--classic-typing]\n"
     "    compiles EXPR (typed as KEYS, or with --text a text form) and prints its value, or\n"
     "    with --interval its enclosure [LO, HI]; NAME is x y z u v theta phi rho; --param\n"
     "    sets parameters EXPR uses, --anim the animated letter's value; --program lists the\n"
     "    program\n"},
    SubcommandRow{"classify", runClassifyCommand,
     "vexmar classify [--text] KEYS [--3d] [--style 1|2|3] [--classic-typing]\n"
     "    classifies the equation (typed as KEYS, or with --text a text form) and prints\n"
     "    'form N', or 'reason N: MESSAGE' when it cannot be graphed; --3d classifies for a 3D\n"
     "    document, --style gives the plot style (1 surface, 2 density, 3 contour; default 1)\n"},
    SubcommandRow{"save", runSaveCommand,
     "vexmar save [-e KEYS]... [--text] [--param NAME=VALUE,...]... [--classic-typing] -o FILE.grf\n"
     "    writes a document of one equation per -e (typed as KEYS, or with --text each a text\n"
     "    form) and the parameters given; an existing FILE is replaced only once the new one\n"
     "    is complete\n"},
    SubcommandRow{"dump", runDumpCommand,
     "vexmar dump FILE.grf\n"
     "    prints the document's header ('version 10') and one line per chunk: its tag, its\n"
     "    size and its fields; a damaged file is refused with the reason\n"},
};
// clang-format on

constexpr std::string_view kKeysHelp =
    "KEYS (UTF-8): characters stand for themselves; braces name keys: {Left} {Right}\n"
    "  {Up} {Down} {Home} {End} {Tab} {BS} {Del} {Enter}, with modifiers C- (Control),\n"
    "  S- (Shift), A- (Alt) as in {C-x} {S-Tab} {C-S-Left} {S-A-p}; {cmd:0x2000} issues an\n"
    "  editor command; {lbrace} {rbrace} type braces. Every subcommand that takes KEYS\n"
    "  types them with the typing habits, or as they always were with --classic-typing.\n"
    "\n"
    "Every word that begins with '-' is an option; '--' ends the options, so that KEYS or\n"
    "EXPR after it may begin with '-': vexmar eval --at x=3 -- -x\n";

void printUsage(std::ostream& out, std::span<const SubcommandRow> platformSubcommands) {
  out << "usage: vexmar                      open the window\n";
  out << "       vexmar FILE.grf             open the window with a saved document\n";
  for (const SubcommandRow& row : kSubcommands) out << "       " << row.usage;
  for (const SubcommandRow& row : platformSubcommands)
    if (!row.usage.empty()) out << "       " << row.usage;
  out << '\n' << kKeysHelp;
}

std::string pathText(const MathObject& object) {
  const std::vector<int> path = pathTo(object);
  if (path.empty()) return "-";
  std::string text;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (i) text += '.';
    text += std::to_string(path[i]);
  }
  return text;
}

} // namespace

int commandLineError(std::ostream& err, const std::string& message) {
  err << "vexmar: " << printableText(message) << '\n';
  return kUsageError;
}

std::string describeLine(const InsertionPoint& ip, bool caret) {
  if (!ip.root) return "\n";
  std::ostringstream text;
  text << writeObjectText(*ip.root) << '\n';
  if (caret) {
    text << "caret: mode=" << static_cast<int>(ip.mode)
         << " path=" << (ip.current ? pathText(*ip.current) : "-") << " sel=" << ip.selFirst << ','
         << ip.selLast << '\n';
  }
  return text.str();
}

namespace {

int runSubcommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  std::span<const SubcommandRow> platformSubcommands) {
  if (args.empty()) return commandLineError(err, "no subcommand (see 'vexmar --help')");
  const std::string& command = args.front();
  if (command == "--help" || command == "-h" || command == "help") {
    printUsage(out, platformSubcommands);
    return 0;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  for (const SubcommandRow& row : platformSubcommands)
    if (row.name == command) return row.run(rest, out, err);
  for (const SubcommandRow& row : kSubcommands)
    if (row.name == command) return row.run(rest, out, err);
  return commandLineError(err, "unknown subcommand '" + command + "' (see 'vexmar --help')");
}

} // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   std::span<const SubcommandRow> platformSubcommands) {
  // An action stopped by its work budget or by memory leaves its line as it was; the command
  // still prints its result but says so once and fails, as the window says it in the status bar.
  bool stopped = false;
  installAlgebraActions([&](const ActionReport& report) {
    if (report.outcome != ActionOutcome::TooMuchWork && report.outcome != ActionOutcome::OutOfMemory) return;
    if (!stopped) err << "vexmar: " << actionMessage(report) << '\n';
    stopped = true;
  });
  int status = 0;
  try {
    status = runSubcommand(args, out, err, platformSubcommands);
  } catch (const std::bad_alloc&) {
    // Whatever was not under a budget: the reserve makes room to say so.
    memoryReserve().release();
    status = commandLineError(err, "not enough memory to finish the command");
  }
  installAlgebraActions();
  if (const std::string_view refusal = takeRefusal(); !refusal.empty()) {
    err << "vexmar: " << refusal << '\n';
    stopped = true;
  }
  return stopped && status == 0 ? kUsageError : status;
}

} // namespace vexmar
