#include "cli/active_line.h"
#include "cli/option_parser.h"
#include "cli/subcommands.h"
#include "document/document_graphs.h"
#include "document/document_model.h"
#include "graph/equation_classifier.h"

#include <ostream>

namespace vexmar {

int runClassifyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  static constexpr OptionRow kOptions[] = {{"--text"}, {"--3d"}, {"--style", "1|2|3"}, kClassicTypingOption};
  static constexpr std::string_view kPositionals[] = {"KEYS"};
  const ParsedOptions options = parseOptions(args, {"classify", kOptions, kPositionals});
  if (!options.error.empty()) return commandLineError(err, options.error);
  const std::string& keys = options.positionals.front();
  const bool text = options.has("--text"), space = options.has("--3d");
  double plotStyle = 1.0;
  if (const std::string* style = options.value("--style")) {
    if (*style != "1" && *style != "2" && *style != "3")
      return commandLineError(err, "classify: --style needs 1 (surface), 2 (density) or 3 (contour)");
    plotStyle = (*style)[0] - '0';
  }

  std::string error;
  ActiveLine active(typingHabitsOf(options));
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
