#include "app/command_line.h"

#include "app/key_routing.h"
#include "app/key_script.h"
#include "document/object_text.h"
#include "editor/editor_state.h"
#include "model/insertion_point.h"
#include "model/model_state.h"

#include <ostream>
#include <sstream>

namespace vexmar {
namespace {

constexpr const char* kUsage =
    "usage: vexmar                      open the window\n"
    "       vexmar type KEYS [--caret] [--start TEXT]\n"
    "\n"
    "type: feeds KEYS to a new equation as if typed into the equation view and prints the\n"
    "  equation's text form. KEYS: characters stand for themselves; braces name keys:\n"
    "  {Left} {Right} {Up} {Down} {Home} {End} {Tab} {BS} {Del} {Enter}, with modifiers\n"
    "  C- (Control), S- (Shift), A- (Alt) as in {C-x} {S-Tab} {C-S-Left} {S-A-p};\n"
    "  {cmd:0x2000} issues an editor command; {lbrace} {rbrace} type braces.\n"
    "  --caret      also print 'caret: mode=M path=P sel=F,L'\n"
    "  --start TEXT start from the tree TEXT (in text form), whole equation selected\n";

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

int fail(std::ostream& err, const std::string& message) {
  err << "vexmar: " << message << '\n';
  return kUsageError;
}

int runType(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
      if (i + 1 >= args.size()) return fail(err, "type: --start needs a text form");
      start = &args[++i];
    } else if (!optionsEnded && a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return fail(err, "type: unknown option '" + a + "'");
    } else if (!haveKeys) {
      keys = a;
      haveKeys = true;
    } else {
      return fail(err, "type: more than one KEYS argument ('" + a + "')");
    }
  }
  if (!haveKeys) return fail(err, "type: missing KEYS (see 'vexmar --help')");

  const KeyScript script = parseKeyScript(keys);
  if (!script.error.empty()) return fail(err, "type: " + script.error);

  std::unique_ptr<InsertionPoint> line = createLineState();
  if (start) {
    ObjectTextReadResult read = readObjectTextChecked(*start);
    if (!read.object)
      return fail(err, "type: --start: " + read.message + " at offset " + std::to_string(read.offset));
    line->setRoot(std::move(read.object));
  }
  resetEditorState();
  modelState().activeInsertionPoint = line.get();
  for (const KeyStroke& stroke : script.strokes) routeKeyStroke(stroke);
  out << describeActiveLine(caret);
  modelState().activeInsertionPoint = nullptr;
  return 0;
}

} // namespace

std::string describeActiveLine(bool caret) {
  const InsertionPoint* ip = modelState().activeInsertionPoint;
  if (!ip || !ip->root) return "\n";
  std::ostringstream text;
  text << writeObjectText(*ip->root) << '\n';
  if (caret) {
    text << "caret: mode=" << static_cast<int>(ip->mode)
         << " path=" << (ip->current ? pathText(*ip->current) : "-") << " sel=" << ip->selFirst << ','
         << ip->selLast << '\n';
  }
  return text.str();
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return fail(err, "no subcommand (see 'vexmar --help')");
  const std::string& command = args.front();
  if (command == "--help" || command == "-h" || command == "help") {
    out << kUsage;
    return 0;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "type") return runType(rest, out, err);
  return fail(err, "unknown subcommand '" + command + "' (see 'vexmar --help')");
}

} // namespace vexmar
