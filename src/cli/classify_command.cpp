#include "cli/active_line.h"
#include "cli/subcommands.h"
#include "document/document_graphs.h"
#include "document/document_model.h"
#include "graph/equation_classifier.h"

#include <ostream>

namespace vexmar {

int runClassifyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool text = false, space = false, optionsEnded = false, haveKeys = false;
  double plotStyle = 1.0;
  std::string keys;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && a == "--text") {
      text = true;
    } else if (!optionsEnded && a == "--3d") {
      space = true;
    } else if (!optionsEnded && a == "--style") {
      if (i + 1 >= args.size() || (args[i + 1] != "1" && args[i + 1] != "2" && args[i + 1] != "3"))
        return commandLineError(err, "classify: --style needs 1 (surface), 2 (density) or 3 (contour)");
      plotStyle = args[++i][0] - '0';
    } else if (!optionsEnded && a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return commandLineError(err, "classify: unknown option '" + a + "'");
    } else if (!haveKeys) {
      keys = a;
      haveKeys = true;
    } else {
      return commandLineError(err, "classify: more than one KEYS ('" + a + "')");
    }
  }
  if (!haveKeys) return commandLineError(err, "classify: missing KEYS (see 'vexmar --help')");

  std::string error;
  ActiveLine active;
  if (text ? !active.startFromText(keys, error) : !active.typeKeys(keys, error))
    return commandLineError(err, "classify: " + error);

  // The equation alone in a document: with --3d, or when it can only be drawn in space with the
  // given plot style, it is classified for 3D.
  DocumentModel document;
  EquationRecord& record = document.addEquation(-1);
  record.plotStyle = plotStyle;
  record.insertionPoint->setRoot(cloneTree(*active.line().root));
  const bool for3D = space || documentIs3D(document);

  const MathObject& tree = *record.insertionPoint->root;
  const GraphForm form = classifyWithConditions(tree, for3D);
  if (form != GraphForm::None) {
    out << "form " << formCode(form) << '\n';
    return 0;
  }
  const CanGraphReason reason = whyNotGraphable(tree, for3D);
  out << "reason " << static_cast<int>(reason) << ": " << canGraphReasonMessage(reason) << '\n';
  return 0;
}

} // namespace vexmar
