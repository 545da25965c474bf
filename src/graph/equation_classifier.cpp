#include "graph/equation_classifier.h"

#include "model/number_reading.h"
#include "numeric/parameter_list.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace vexmar {
namespace {

using namespace Letter;

constexpr std::uint16_t kE = 'e';
constexpr std::uint16_t kPi = 0x1312;
constexpr std::uint16_t kDegree = 0x1332;

constexpr std::array<std::uint16_t, 9> kLoneVariables = {X, Y, Z, R, Theta, Phi, T, U, V};
constexpr std::array<std::uint16_t, 10> kCoordinates = {X, Y, Z, R, T, U, V, Theta, Phi, Rho};

template <std::size_t N> bool contains(const std::array<std::uint16_t, N>& set, std::uint16_t code) {
  return std::find(set.begin(), set.end(), code) != set.end();
}

bool isChar(const MathObject& node) { return node.kind == ObjectKind::char_; }
bool isChar(const MathObject& node, std::uint16_t code) {
  return isChar(node) && node.characterCode() == code;
}
bool isCoordinateCode(std::uint16_t code) { return contains(kCoordinates, code); }
bool isConstantCode(std::uint16_t code) { return code == kE || code == kPi || code == kDegree; }
bool isDerivativeOperator(const MathObject* node) {
  return node && (node->kind == ObjectKind::optotal || node->kind == ObjectKind::oppartial);
}

bool isAlwaysGraphable(const MathObject& node) {
  const auto code = static_cast<int>(node.kind);
  if (code >= static_cast<int>(ObjectKind::minus) && code <= static_cast<int>(ObjectKind::sqrt)) return true;
  switch (node.kind) {
  case ObjectKind::num:
  case ObjectKind::times:
  case ObjectKind::plus:
  case ObjectKind::fact:
  case ObjectKind::id:
  case ObjectKind::abs:
  case ObjectKind::over:
  case ObjectKind::power:
  case ObjectKind::sn:
  case ObjectKind::ln:
  case ObjectKind::exp:
    return true;
  case ObjectKind::char_:
    return isConstantCode(node.characterCode());
  default:
    return false;
  }
}

bool isLetterCode(std::uint16_t code) {
  return (code < 0x80 && std::isalpha(code)) || isSpecialCharacterCode(code);
}

// The name a letter goes by as a parameter. A Greek letter goes by its name: its Symbol-face
// character would clash with a Latin one.
std::string letterName(std::uint16_t code) {
  return isSpecialCharacterCode(code) ? std::string(specialCharacter(code - kFirstSpecialCode).name)
                                      : std::string(1, static_cast<char>(code & 0xFF));
}

// Appends what a digit string or a letter of a subscript reads as; false for anything else.
bool appendSubscriptPart(const MathObject& part, std::string& text) {
  if (part.kind == ObjectKind::char_ && isLetterCode(part.characterCode())) {
    text += letterName(part.characterCode());
    return true;
  }
  if (part.kind != ObjectKind::num || !part.number) return false;
  const double value = part.number->value;
  if (!(value >= 0 && value < 1e15) || std::trunc(value) != value) return false;
  text += std::to_string(static_cast<long long>(value));
  return true;
}

// A subscripted name counts as one node: its letters name a parameter and stand for nothing of
// their own, so walks of the tree step over them.
MathObject* nextAfterSubtree(const MathObject& node, const MathObject& root) {
  for (const MathObject* n = &node; n != &root && n->parent; n = n->parent) {
    const MathObject* p = n->parent;
    for (int i = n->indexInParent + 1; i < p->childCount(); ++i)
      if (MathObject* sibling = p->child(i)) return sibling;
  }
  return nullptr;
}

MathObject* nextNode(const MathObject& node, const MathObject& root) {
  return isSubscriptedName(node) ? nextAfterSubtree(node, root) : nextPreorder(node, root);
}

template <typename Test> bool anyNode(const MathObject& tree, Test test) {
  for (const MathObject* n = &tree; n; n = nextNode(*n, tree))
    if (test(*n)) return true;
  return false;
}

// A matrix of `rows` rows and one column, holding exactly that many entries.
bool isColumnVector(const MathObject& node, int rows) {
  return node.kind == ObjectKind::matrix && node.matrixRows() == rows && node.matrixColumns() == 1 &&
         node.childCount() == rows;
}

bool entriesArePlain(const MathObject& vector) {
  for (int i = 0; i < vector.childCount(); ++i)
    if (!vector.child(i) ||
        !isGraphableTree(*vector.child(i), Graphable::Derivatives | Graphable::PlainOperands))
      return false;
  return true;
}

// The vector [a, b] or [a, b, c] of exactly the first `rows` of these letters.
bool isLetterVector(const MathObject& node, int rows, const std::array<std::uint16_t, 3>& letters) {
  if (!isColumnVector(node, rows)) return false;
  for (int i = 0; i < rows; ++i)
    if (!node.child(i) || !isChar(*node.child(i), letters[static_cast<std::size_t>(i)])) return false;
  return rows != 3 || entriesArePlain(node);
}

bool isVectorIn(const MathObject& node, int rows, const SymbolSet& symbols) {
  if (!isColumnVector(node, rows)) return false;
  for (int i = 0; i < rows; ++i)
    if (!node.child(i) || !dependsOnlyOn(*node.child(i), symbols)) return false;
  return rows != 3 || entriesArePlain(node);
}

// V = f(S): one side is the letter V and the other depends only on S. V on the right counts only
// when the left is not itself a lone variable, so that `x = y` reads as x = f(y).
struct ExplicitRow {
  GraphForm form;
  bool planeOnly;
  std::uint16_t variable;
  SymbolSet symbols;
};

// The order is the order of preference: the first row that matches wins.
constexpr std::array<ExplicitRow, 14> kExplicitRows = {{
    {GraphForm::ExplicitYOfX, true, Y, {X}},
    {GraphForm::ExplicitXOfY, true, X, {Y}},
    {GraphForm::PolarROfTheta, true, R, {Theta}},
    {GraphForm::PolarThetaOfR, true, Theta, {R}},
    {GraphForm::ZOfXY, false, Z, {X, Y}},
    {GraphForm::XOfYZ, false, X, {Y, Z}},
    {GraphForm::YOfXZ, false, Y, {X, Z}},
    {GraphForm::SphericalROfThetaPhi, false, R, {Theta, Phi}},
    {GraphForm::SphericalThetaOfRPhi, false, Theta, {R, Phi}},
    {GraphForm::SphericalPhiOfRTheta, false, Phi, {R, Theta}},
    {GraphForm::CylindricalROfThetaZ, false, R, {Theta, Z}},
    {GraphForm::CylindricalZOfRTheta, false, Z, {R, Theta}},
    {GraphForm::CylindricalThetaOfRZ, false, Theta, {R, Z}},
    {GraphForm::ZOfMixed, false, Z, {X, Y, R, Theta}},
}};

bool matchesExplicit(const MathObject& left, const MathObject& right, const ExplicitRow& row) {
  if (isChar(left, row.variable) && dependsOnlyOn(right, row.symbols)) return true;
  return isChar(right, row.variable) && !isLoneVariable(left) && dependsOnlyOn(left, row.symbols);
}

// Parametric curves, surfaces and vector fields: a vector of letters equal to a vector of
// expressions. Tried in order.
struct VectorRow {
  GraphForm form;
  bool planeOnly;
  int rows;
  std::array<std::uint16_t, 3> left;
  SymbolSet parameters;
};

constexpr std::array<VectorRow, 10> kVectorRows = {{
    {GraphForm::PolarCurve, false, 2, {R, Theta}, {T}},
    {GraphForm::VectorField2D, true, 2, {X, Y}, {X, Y}},
    {GraphForm::VectorField3D, false, 3, {X, Y, Z}, {X, Y, Z}},
    {GraphForm::ParametricCurveXY, false, 2, {X, Y}, {T}},
    {GraphForm::ParametricCurveXYZ, false, 3, {X, Y, Z}, {T}},
    {GraphForm::SphericalCurve, false, 3, {R, Theta, Phi}, {T}},
    {GraphForm::CylindricalCurve, false, 3, {R, Theta, Z}, {T}},
    {GraphForm::ParametricSurfaceXYZ, false, 3, {X, Y, Z}, {U, V}},
    {GraphForm::SphericalSurface, false, 3, {R, Theta, Phi}, {U, V}},
    {GraphForm::CylindricalSurface, false, 3, {R, Theta, Z}, {U, V}},
}};

GraphForm classifyImplicit(const MathObject& left, const MathObject& right, bool for3D) {
  if (!for3D && dependsOnlyOn(left, {X, Y, R, Theta}) && dependsOnlyOn(right, {X, Y, R, Theta}))
    return GraphForm::ImplicitCurve;
  if (dependsOnlyOn(left, {X, Y, Z}) && dependsOnlyOn(right, {X, Y, Z})) return GraphForm::ImplicitSurface;
  return GraphForm::None;
}

GraphForm classifyEquation(const MathObject& equation, bool for3D) {
  // A chain a = b = c has no single difference to draw.
  if (equation.childCount() != 2 || !equation.child(0) || !equation.child(1)) return GraphForm::None;
  const MathObject& left = *equation.child(0);
  const MathObject& right = *equation.child(1);
  if (isLoneVariable(left) || isLoneVariable(right)) {
    for (const ExplicitRow& row : kExplicitRows)
      if ((!row.planeOnly || !for3D) && matchesExplicit(left, right, row)) return row.form;
    return classifyImplicit(left, right, for3D);
  }
  for (const VectorRow& row : kVectorRows) {
    if (row.planeOnly && for3D) continue;
    if (isLetterVector(left, row.rows, row.left) && isVectorIn(right, row.rows, row.parameters))
      return row.form;
  }
  return classifyImplicit(left, right, for3D);
}

GraphForm classifyExpression(const MathObject& node, bool for3D) {
  if (!for3D && dependsOnlyOn(node, {X})) return GraphForm::ExpressionInX;
  if (!for3D && dependsOnlyOn(node, {Y})) return GraphForm::ExpressionInY;
  if (dependsOnlyOn(node, {X, Y, R, Theta})) return GraphForm::ExpressionInXYRTheta;
  if (for3D || !isInequality(node) || node.childCount() < 2) return GraphForm::None;
  for (int i = 0; i < node.childCount(); ++i)
    if (!node.child(i) || !dependsOnlyOn(*node.child(i), {X, Y, R, Theta})) return GraphForm::None;
  return GraphForm::InequalityRegion;
}

// The equation itself: the root, or the first child of a root comma.
const MathObject* equationOf(const MathObject& tree) {
  return tree.kind == ObjectKind::comma ? tree.firstChild() : &tree;
}

} // namespace

bool isInequality(const MathObject& node) {
  return node.kind == ObjectKind::lessthan || node.kind == ObjectKind::greaterthan ||
         node.kind == ObjectKind::leq || node.kind == ObjectKind::geq;
}

bool isColourFormula(const MathObject& condition) {
  if (condition.kind != ObjectKind::equal || condition.childCount() != 2) return false;
  const MathObject* left = condition.child(0);
  const MathObject* right = condition.child(1);
  if (!left || !right) return false;
  const bool colourLetters =
      isLetterVector(*left, 3, {'r', 'g', 'b'}) || isLetterVector(*left, 3, {'h', 's', 'v'});
  return colourLetters && isColumnVector(*right, 3) && entriesArePlain(*right);
}

bool isInequalityCondition(const MathObject& condition) {
  return isInequality(condition) &&
         isGraphableTree(condition, Graphable::Derivatives | Graphable::ConditionStructure);
}

bool isGraphableNode(const MathObject& node, unsigned options) {
  if (isAlwaysGraphable(node)) return true;
  const ObjectKind kind = node.kind;
  if (options & Graphable::Derivatives) {
    if (kind == ObjectKind::function && isDerivativeOperator(node.firstChild())) return true;
    if (isDerivativeOperator(&node) && node.parent && node.parent->kind == ObjectKind::function &&
        node.firstChild() && isChar(*node.firstChild()))
      return true;
  }
  if ((options & Graphable::EquationStructure) && (kind == ObjectKind::comma || kind == ObjectKind::equal ||
                                                   kind == ObjectKind::matrix || isInequality(node)))
    return true;
  if ((options & Graphable::ConditionStructure) && isInequality(node)) return true;
  const unsigned anyLetter =
      Graphable::EquationStructure | Graphable::ConditionStructure | Graphable::PlainOperands;
  return (options & anyLetter) && (kind == ObjectKind::char_ || isSubscriptedName(node));
}

bool isGraphableTree(const MathObject& tree, unsigned options) {
  return !anyNode(tree, [options](const MathObject& n) { return !isGraphableNode(n, options); });
}

bool dependsOnlyOn(const MathObject& tree, const SymbolSet& symbols) {
  return !anyNode(tree, [symbols](const MathObject& n) {
    if (isGraphableNode(n, Graphable::Derivatives) || isSubscriptedName(n)) return false;
    if (!isChar(n)) return true;
    return isCoordinateCode(n.characterCode()) && !contains(symbols, n.characterCode());
  });
}

std::string subscriptedName(const MathObject& node) {
  if (node.kind != ObjectKind::indexes || node.childCount() != 2 || node.lowerIndexCount() != 1 ||
      node.upperIndexCount() != 0)
    return {};
  const MathObject* base = node.child(0);
  const MathObject* index = node.child(1);
  if (!base || !index || !isChar(*base) || !isLetterCode(base->characterCode())) return {};
  std::string subscript;
  if (index->kind == ObjectKind::times) {
    for (int i = 0; i < index->childCount(); ++i)
      if (!index->child(i) || !appendSubscriptPart(*index->child(i), subscript)) return {};
  } else if (!appendSubscriptPart(*index, subscript)) {
    return {};
  }
  if (subscript.empty()) return {};
  return letterName(base->characterCode()) + "_" + subscript;
}

bool isSubscriptedName(const MathObject& node) {
  return node.kind == ObjectKind::indexes && !subscriptedName(node).empty();
}

bool isParameterLetter(const MathObject& node) {
  return isChar(node) && !isCoordinateCode(node.characterCode()) && !isConstantCode(node.characterCode());
}

GraphForm classify(const MathObject& tree, bool for3D) {
  if (tree.kind == ObjectKind::comma &&
      !isGraphableTree(tree, Graphable::Derivatives | Graphable::EquationStructure))
    return GraphForm::None;
  const MathObject* node = equationOf(tree);
  if (!node) return GraphForm::None;
  if (node->kind == ObjectKind::equal) return classifyEquation(*node, for3D);
  return classifyExpression(*node, for3D);
}

GraphForm classifyWithConditions(const MathObject& tree, bool for3D) {
  const GraphForm form = classify(tree, for3D);
  if (tree.kind != ObjectKind::comma || tree.childCount() < 2) return form;
  for (int i = 1; i < tree.childCount(); ++i) {
    const MathObject* condition = tree.child(i);
    if (!condition) return GraphForm::None;
    if (isColourFormula(*condition)) {
      if (!acceptsColourFormula(form, for3D)) return GraphForm::None;
    } else if (!isInequalityCondition(*condition) || !acceptsInequalityConditions(form, for3D)) {
      return GraphForm::None;
    }
  }
  return form;
}

CanGraphReason whyNotGraphable(const MathObject& tree, bool for3D) {
  if (tree.kind == ObjectKind::comma) {
    if (!isGraphableTree(tree, Graphable::Derivatives | Graphable::EquationStructure))
      return CanGraphReason::ConditionUnparsable;
    const GraphForm form = classify(tree, for3D);
    if (form != GraphForm::None && classifyWithConditions(tree, for3D) == GraphForm::None)
      return acceptsInequalityConditions(form, for3D) ? CanGraphReason::ConditionUnparsable
                                                      : CanGraphReason::ConditionNotAppropriate;
  }
  const MathObject* node = equationOf(tree);
  if (!node || node->kind == ObjectKind::prompt) return CanGraphReason::NoEquation;
  if (anyNode(*node, [](const MathObject& n) { return n.kind == ObjectKind::prompt; }))
    return CanGraphReason::QuestionMarks;

  // Vectors on both sides may use the curve and surface parameters.
  const MathObject* left = node->kind == ObjectKind::equal ? node->firstChild() : nullptr;
  const MathObject* right = left && node->childCount() >= 2 ? node->child(1) : nullptr;
  const bool vectorEquation =
      left && right && left->kind == ObjectKind::matrix && right->kind == ObjectKind::matrix;
  if (!vectorEquation && usesLetter(*node, T)) return CanGraphReason::ParameterT;
  if (!vectorEquation && (usesLetter(*node, U) || usesLetter(*node, V))) return CanGraphReason::ParametersUV;

  if (for3D) {
    // Only a real inequality is a 2D inequality: the message names it, and chains count too.
    if (isInequality(*node) && node->childCount() >= 2) {
      bool planar = true;
      for (int i = 0; i < node->childCount() && planar; ++i)
        planar = node->child(i) && dependsOnlyOn(*node->child(i), {X, Y, R, Theta});
      if (planar) return CanGraphReason::Inequality2DIn3D;
    }
    if (left && left->kind == ObjectKind::matrix && left->matrixRows() == 2)
      return CanGraphReason::VectorPlot2DIn3D;
  }
  if (usesLetter(*node, Z) && usesLetter(*node, Phi)) return CanGraphReason::MixedCoordinateSystems;
  return CanGraphReason::WrongForm;
}

bool usesLetter(const MathObject& tree, std::uint16_t code) {
  return anyNode(tree, [code](const MathObject& n) { return isChar(n, code); });
}

bool isLoneVariable(const MathObject& node) {
  return node.kind == ObjectKind::char_ && contains(kLoneVariables, node.characterCode());
}

void registerParameters(const MathObject& tree, ParameterList& parameters) {
  for (const MathObject* n = &tree; n; n = nextNode(*n, tree)) {
    const std::string name = isParameterLetter(*n) ? letterName(n->characterCode()) : subscriptedName(*n);
    if (name.empty()) continue;
    if (!parameters.find(name)) parameters.set(name, "1");
    parameters.find(name)->inUse = true;
  }
}

void substituteSubscriptedNames(MathObject& tree, const ParameterList& parameters) {
  std::vector<MathObject*> names;
  for (MathObject* n = &tree; n; n = nextNode(*n, tree))
    if (isSubscriptedName(*n)) names.push_back(n);
  for (MathObject* name : names) {
    const Parameter* parameter = parameters.find(subscriptedName(*name));
    // As the compiler takes a letter's parameter: 0 when there is none, its text's value else.
    const std::string text = parameter ? parameter->valueText : "0";
    replaceObject(makeNumber(parseNumber(text), text), *name);
  }
}

} // namespace vexmar
