#include "app/typesetting_session.h"
#include "cli/active_line.h"
#include "cli/subcommands.h"

#include <cstdio>
#include <ostream>
#include <string>

namespace vexmar {
namespace {

std::string pixels(Fixed value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", toPixels(value));
  return text;
}

std::string pathOf(const MathObject& object) {
  const std::vector<int> path = pathTo(object);
  if (path.empty()) return "-";
  std::string text;
  for (std::size_t i = 0; i < path.size(); ++i) text += (i ? "." : "") + std::to_string(path[i]);
  return text;
}

} // namespace

int runLayoutCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  EquationArguments arguments;
  std::string error;
  if (!readEquationArguments("layout", args, false, arguments, error)) return commandLineError(err, error);
  TypesettingSession session;
  ActiveLine active(arguments.habits);
  if (arguments.start && !active.startFromText(*arguments.start, error))
    return commandLineError(err, "layout: --start: " + error);
  InsertionPoint& line = active.line();
  if (arguments.wrap) line.wrapWidth = static_cast<Fixed>(*arguments.wrap * 65536);
  if (!active.typeKeys(arguments.keys, error)) return commandLineError(err, "layout: " + error);
  session.typesetter().layoutLine(line);

  const MathObject& root = *line.root;
  out << "width=" << pixels(root.width) << " ascent=" << pixels(root.ascent)
      << " descent=" << pixels(root.descent) << '\n';
  for (const MathObject* n = &root; n; n = nextPreorder(n, root)) {
    out << pathOf(*n) << ' ' << kindName(n->kind) << " left=" << pixels(n->left)
        << " bottom=" << pixels(n->bottom) << " width=" << pixels(n->width) << " ascent=" << pixels(n->ascent)
        << " descent=" << pixels(n->descent) << '\n';
  }
  return 0;
}

} // namespace vexmar
