#include "graph/graph_builder.h"

#include "algebra/derivative_steps.h"
#include "algebra/tree_services.h"
#include "graph/equation_classifier.h"
#include "graph/graph_container.h"
#include "graph/graph_kinds.h"
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"

namespace vexmar {
namespace {

using namespace Letter;

// Joins comparisons with `wedge`, keeping a single one as it is.
ObjectPtr joinConjunction(std::vector<ObjectPtr> terms) {
  if (terms.empty()) return nullptr;
  if (terms.size() == 1) return std::move(terms.front());
  ObjectPtr wedge = makeObject(ObjectKind::wedge);
  for (ObjectPtr& term : terms) appendChild(*wedge, std::move(term));
  return wedge;
}

ObjectPtr joinProduct(std::vector<ObjectPtr> factors) {
  if (factors.empty()) return nullptr;
  if (factors.size() == 1) return std::move(factors.front());
  ObjectPtr product = makeObject(ObjectKind::times);
  for (ObjectPtr& factor : factors) appendChild(*product, std::move(factor));
  return product;
}

// Moves the parts of a split inequality into the running lists.
void collect(ConditionTrees split, std::vector<ObjectPtr>& conjunction, std::vector<ObjectPtr>& boundary) {
  if (!split.conjunction) return;
  if (split.conjunction->kind == ObjectKind::wedge) {
    while (split.conjunction->childCount() > 0) conjunction.push_back(removeChild(*split.conjunction, 0));
  } else {
    conjunction.push_back(std::move(split.conjunction));
  }
  boundary.push_back(std::move(split.boundary));
}

// One link of a chain as the compiler takes it. A strict comparison of a term with itself is
// false, which interval evaluation cannot see (x over a box is not less than x over the same box,
// but it cannot show that); a ≤ b is a < b or a = b.
ObjectPtr comparisonOf(ObjectKind kind, const MathObject& a, const MathObject& b) {
  const bool strict = kind == ObjectKind::lessthan || kind == ObjectKind::greaterthan;
  if (strict && treeEqual(a, b)) return makeAlgebraNumber(AlgebraConstant::Zero);
  if (strict) return makeObject(kind, cloneTree(a), cloneTree(b));
  ObjectPtr either = makeObject(ObjectKind::vee);
  appendChild(*either, makeObject(kind == ObjectKind::leq ? ObjectKind::lessthan : ObjectKind::greaterthan,
                                  cloneTree(a), cloneTree(b)));
  appendChild(*either, makeObject(ObjectKind::equal, cloneTree(a), cloneTree(b)));
  return either;
}

int curveModeOf(double value) {
  if (value == 0.0) return 0;
  if (value == 1.0) return 1;
  return 2;
}

} // namespace

ConditionTrees splitInequality(const MathObject& chain) {
  if (!isInequality(chain) || chain.childCount() < 2) return {};
  std::vector<ObjectPtr> comparisons;
  std::vector<ObjectPtr> differences;
  for (int i = 0; i + 1 < chain.childCount(); ++i) {
    const MathObject* a = chain.child(i);
    const MathObject* b = chain.child(i + 1);
    if (!a || !b) return {};
    comparisons.push_back(comparisonOf(chain.kind, *a, *b));
    differences.push_back(makeDifference(cloneTree(*a), cloneTree(*b)));
  }
  return {joinConjunction(std::move(comparisons)), joinProduct(std::move(differences))};
}

ObjectPtr prepareForEvaluation(const MathObject& tree) {
  ObjectPtr copy = cloneTree(tree);
  unwrapIdentity(*copy);
  convertDerivativesToInternal(*copy);
  runDerivativeEngine(*copy);
  return copy;
}

int buildGraph(CGraphContainer& container, const MathObject& tree, bool for3D,
               const GraphBuildSettings& settings) {
  const int curveMode = curveModeOf(settings.curveMode);

  GraphForm form = classifyWithConditions(tree, for3D);
  auto style = std::make_unique<GraphStyle>();
  style->setFromColourIndex(settings.colourIndex);

  // Every parameter is listed before anything compiles: the compiler bakes a parameter's value
  // in, and one not listed yet would compile as 0 rather than the 1 a new parameter starts with.
  const bool withConditions = tree.kind == ObjectKind::comma && tree.childCount() > 0 && tree.firstChild();
  const MathObject* equation = withConditions ? tree.firstChild() : &tree;
  registerParameters(*equation, numericState().parameters);

  // Conditions after the comma: colour formulas go into the style, inequalities are joined.
  std::vector<ObjectPtr> conditions;
  std::vector<ObjectPtr> boundaries;
  for (int i = 1; withConditions && i < tree.childCount(); ++i) {
    const MathObject* condition = tree.child(i);
    if (!condition) continue;
    if (isColourFormula(*condition)) {
      const bool rgb = condition->child(0)->child(0)->characterCode() == 'r';
      style->mode =
          rgb ? static_cast<int>(GraphStyleMode::RgbFormula) : static_cast<int>(GraphStyleMode::HsvFormula);
      // The entries only: the colour letters on the left (g, b, h, s) are no parameters.
      const MathObject& entries = *condition->child(1);
      registerParameters(entries, numericState().parameters);
      for (int k = 0; k < 3; ++k)
        style->colourEvaluators[static_cast<std::size_t>(k)] = compileRenamed(*entries.child(k), {{R, Rho}});
    } else if (isInequalityCondition(*condition)) {
      registerParameters(*condition, numericState().parameters);
      collect(splitInequality(*condition), conditions, boundaries);
    }
  }

  std::unique_ptr<Evaluator> condition;
  ObjectPtr regionTest;
  ObjectPtr regionBoundary;
  if (form == GraphForm::InequalityRegion) {
    // The region's own chain comes after the conditions in the conjunction.
    collect(splitInequality(*equation), conditions, boundaries);
    regionTest = joinConjunction(std::move(conditions));
    regionBoundary = joinProduct(std::move(boundaries));
  } else if (!conditions.empty() && acceptsInequalityConditions(form, for3D)) {
    ObjectPtr joined = joinConjunction(std::move(conditions));
    condition = compileRenamed(*joined, {{R, Rho}});
  }

  // An equation written with the lone variable on the right is read the other way round.
  ObjectPtr exchanged;
  if (equation->kind == ObjectKind::equal && equation->childCount() == 2 && equation->child(0) &&
      equation->child(1) && !isLoneVariable(*equation->child(0)) && isLoneVariable(*equation->child(1))) {
    exchanged = cloneTree(*equation);
    ObjectPtr right = removeChild(*exchanged, 1);
    insertChild(*exchanged, 0, std::move(right));
    equation = exchanged.get();
    if (tree.kind == ObjectKind::comma) {
      ObjectPtr whole = cloneTree(tree);
      replaceObject(cloneTree(*exchanged), *whole->firstChild());
      form = classifyWithConditions(*whole, for3D);
    } else {
      form = classifyWithConditions(*exchanged, for3D);
    }
  }

  const GraphKindFactory factory = graphKindFactory(form, for3D);
  if (!factory) return -1;
  GraphKindRequest request{container,
                           *equation,
                           equation->kind == ObjectKind::equal ? equation->child(1) : nullptr,
                           std::move(style),
                           curveMode,
                           settings,
                           std::move(condition),
                           std::move(regionTest),
                           std::move(regionBoundary)};
  const int index = factory(request);
  if (index < 0) return -1;
  // The space the new graph went into is the one shown.
  container.setActive3D(for3D);
  return index;
}

} // namespace vexmar
