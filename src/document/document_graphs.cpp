#include "document/document_graphs.h"

#include "document/document_model.h"
#include "graph/equation_classifier.h"
#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "numeric/numeric_state.h"

#include <cstdint>

namespace vexmar {
namespace {

constexpr std::int64_t kRebuildWorkMs = 60;

// The compiler knows parameters only by letter: a subscripted name goes to it as its value, the
// name listed first (with value 1 when new) as the builder lists the letters.
ObjectPtr withSubscriptedNamesValued(const MathObject& equation) {
  ObjectPtr copy = cloneTree(equation);
  ParameterList& parameters = numericState().parameters;
  for (const MathObject* n = copy.get(); n; n = nextPreorder(n, *copy))
    if (isSubscriptedName(*n)) registerParameters(*n, parameters);
  substituteSubscriptedNames(*copy, parameters);
  return copy;
}

} // namespace

bool documentIs3D(const DocumentModel& document) {
  for (int i = 0; i < document.equationCount(); ++i) {
    const EquationRecord& record = document.equation(i);
    if (!record.insertionPoint || !record.insertionPoint->root) continue;
    const GraphForm form = classify(*record.insertionPoint->root, false);
    if (isSpaceOnlyForm(form)) return true;
    if (isSurfaceDensityOrContourForm(form) && record.plotStyle == 1.0) return true;
  }
  return false;
}

void rebuildAllGraphs(CGraphContainer& container, DocumentModel& document) {
  const bool for3D = documentIs3D(document);
  container.setActive3D(for3D);
  // Building marks the parameters the equations use; one no longer used loses its mark.
  numericState().parameters.clearInUse();
  container.showRange(-1);
  for (int i = 0; i < document.equationCount(); ++i) {
    EquationRecord& record = document.equation(i);
    // Surface patterns mean nothing in the plane.
    if (!for3D && record.colourCode > 8.0) record.colourCode = 1.0;
    record.status = 0;
    record.graphIndex = -1;
    if (!record.insertionPoint || !record.insertionPoint->root) continue;
    const ObjectPtr prepared =
        prepareForEvaluation(*withSubscriptedNamesValued(*record.insertionPoint->root));
    record.graphIndex = buildGraph(
        container, *prepared, for3D,
        {record.colourCode, record.resolutionA, record.resolutionB, record.curveMode, record.plotStyle});
  }
  container.work(kRebuildWorkMs);
}

} // namespace vexmar
