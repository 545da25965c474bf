#include "graph/space/space_builders.h"

#include "algebra/tree_services.h"
#include "graph/equation_classifier.h"
#include "graph/graph_container.h"
#include "graph/space/parametric_curve_3d.h"
#include "graph/space/parametric_surface.h"
#include "graph/space/vector_field_3d.h"

#include <array>
#include <cstdint>
#include <utility>

namespace vexmar {
namespace {

using namespace Letter;

// Where a coordinate of the form's own system comes from: the graph's variables u and v, the
// equation's free side, an entry of its right-hand vector, or zero (a plane curve in space).
enum class Part : std::uint8_t { VariableU, VariableV, Free, Entry0, Entry1, Entry2, Zero };

enum class System : std::uint8_t { Cartesian, Spherical, Cylindrical };

using Rename = std::pair<std::uint16_t, std::uint16_t>;

// One form drawn in space: the coordinates of its own system, in the order (x, y, z),
// (r, θ, φ) or (r, θ, z), the letters renamed to the graph's variables, and the ranges those
// variables run over.
struct SpaceRecipe {
  GraphForm form;
  SpaceGraphKind kind;
  System system;
  std::array<Part, 3> parts;
  std::array<Rename, 2> renames; ///< {0, 0} renames nothing
  Coordinate uRange;
  Coordinate vRange;
};

constexpr Rename kNone{0, 0};
constexpr Rename kTToU{T, U};
constexpr std::array<Rename, 2> kOnlyT{{kTToU, kNone}};
constexpr std::array<Rename, 2> kNoRename{{kNone, kNone}};

using enum Part;
using enum System;
using Kind = SpaceGraphKind;
using C = Coordinate;

// clang-format off
constexpr std::array<SpaceRecipe, 20> kRecipes = {{
    {GraphForm::ZOfXY,                Kind::Surface,     Cartesian,   {VariableU, VariableV, Free}, {{{X, U}, {Y, V}}},         C::X,     C::Y},
    {GraphForm::XOfYZ,                Kind::Surface,     Cartesian,   {Free, VariableU, VariableV}, {{{Y, U}, {Z, V}}},         C::Y,     C::Z},
    {GraphForm::YOfXZ,                Kind::Surface,     Cartesian,   {VariableU, Free, VariableV}, {{{X, U}, {Z, V}}},         C::X,     C::Z},
    {GraphForm::SphericalROfThetaPhi, Kind::Surface,     Spherical,   {Free, VariableU, VariableV}, {{{Theta, U}, {Phi, V}}},   C::Theta, C::Phi},
    {GraphForm::SphericalThetaOfRPhi, Kind::Surface,     Spherical,   {VariableU, Free, VariableV}, {{{R, U}, {Phi, V}}},       C::R,     C::Phi},
    {GraphForm::SphericalPhiOfRTheta, Kind::Surface,     Spherical,   {VariableU, VariableV, Free}, {{{R, U}, {Theta, V}}},     C::R,     C::Theta},
    {GraphForm::CylindricalROfThetaZ, Kind::Surface,     Cylindrical, {Free, VariableU, VariableV}, {{{Theta, U}, {Z, V}}},     C::Theta, C::Z},
    {GraphForm::CylindricalZOfRTheta, Kind::Surface,     Cylindrical, {VariableU, VariableV, Free}, {{{R, U}, {Theta, V}}},     C::R,     C::Theta},
    // r and θ of a mixed equation are those of the point (u, v), which the surface's grid
    // evaluation provides.
    {GraphForm::ZOfMixed,             Kind::Surface,     Cartesian,   {VariableU, VariableV, Free}, {{{X, U}, {Y, V}}},         C::X,     C::Y},
    {GraphForm::CylindricalThetaOfRZ, Kind::Surface,     Cylindrical, {VariableV, Free, VariableU}, {{{Z, U}, {R, V}}},         C::Z,     C::R},
    {GraphForm::PolarCurve,           Kind::Curve,       Cylindrical, {Entry0, Entry1, Zero},       kOnlyT,                     C::T,     C::T},
    {GraphForm::VectorField3D,        Kind::VectorField, Cartesian,   {Entry0, Entry1, Entry2},     kNoRename,                  C::X,     C::Y},
    {GraphForm::ParametricCurveXY,    Kind::Curve,       Cartesian,   {Entry0, Entry1, Zero},       kOnlyT,                     C::T,     C::T},
    {GraphForm::ParametricCurveXYZ,   Kind::Curve,       Cartesian,   {Entry0, Entry1, Entry2},     kOnlyT,                     C::T,     C::T},
    {GraphForm::SphericalCurve,       Kind::Curve,       Spherical,   {Entry0, Entry1, Entry2},     kOnlyT,                     C::T,     C::T},
    {GraphForm::CylindricalCurve,     Kind::Curve,       Cylindrical, {Entry0, Entry1, Entry2},     kOnlyT,                     C::T,     C::T},
    {GraphForm::ParametricSurfaceXYZ, Kind::Surface,     Cartesian,   {Entry0, Entry1, Entry2},     kNoRename,                  C::U,     C::V},
    {GraphForm::SphericalSurface,     Kind::Surface,     Spherical,   {Entry0, Entry1, Entry2},     kNoRename,                  C::U,     C::V},
    {GraphForm::CylindricalSurface,   Kind::Surface,     Cylindrical, {Entry0, Entry1, Entry2},     kNoRename,                  C::U,     C::V},
    {GraphForm::ExpressionInXYRTheta, Kind::Surface,     Cartesian,   {VariableU, VariableV, Free}, {{{X, U}, {Y, V}}},         C::X,     C::Y},
}};

// An expression with neither x nor y but with r or θ is a surface over the r and θ ranges.
constexpr SpaceRecipe kPolarExpression =
    {GraphForm::ExpressionInXYRTheta, Kind::Surface,     Cylindrical, {VariableU, VariableV, Free}, {{{R, U}, {Theta, V}}},     C::R,     C::Theta};
// clang-format on

const SpaceRecipe* recipeFor(GraphForm form, const MathObject& free) {
  if (form == GraphForm::ExpressionInXYRTheta && !dependsOnVariable(free, X) && !dependsOnVariable(free, Y) &&
      (dependsOnVariable(free, R) || dependsOnVariable(free, Theta)))
    return &kPolarExpression;
  for (const SpaceRecipe& recipe : kRecipes)
    if (recipe.form == form) return &recipe;
  return nullptr;
}

// Makes the trees of one equation's parts, each a fresh copy with the recipe's letters renamed.
class PartMaker {
public:
  PartMaker(const SpaceRecipe& recipe, const MathObject& free) : recipe_(recipe), free_(free) {}

  [[nodiscard]] bool hasAll() const {
    for (Part part : recipe_.parts)
      if (source(part) == nullptr && part != VariableU && part != VariableV && part != Zero) return false;
    return true;
  }

  [[nodiscard]] ObjectPtr make(Part part) const {
    if (part == VariableU) return makeChar(U);
    if (part == VariableV) return makeChar(V);
    if (part == Zero) return makeAlgebraNumber(AlgebraConstant::Zero);
    ObjectPtr copy = cloneTree(*source(part));
    for (const auto& [from, to] : recipe_.renames)
      if (from != 0) renameVariable(*copy, from, to);
    return copy;
  }

private:
  [[nodiscard]] const MathObject* source(Part part) const {
    switch (part) {
    case Free:
      return &free_;
    case Entry0:
    case Entry1:
    case Entry2:
      if (free_.kind != ObjectKind::matrix) return nullptr;
      return optionalChild(free_, static_cast<int>(part) - static_cast<int>(Entry0));
    default:
      return nullptr;
    }
  }

  const SpaceRecipe& recipe_;
  const MathObject& free_;
};

ObjectPtr cosOf(ObjectPtr a) { return makeFunction(ObjectKind::cos, std::move(a)); }
ObjectPtr sinOf(ObjectPtr a) { return makeFunction(ObjectKind::sin, std::move(a)); }

} // namespace

std::optional<SpaceComponentTrees> spaceComponentTrees(GraphForm form, const MathObject& equation) {
  const MathObject* free = &equation;
  if (equation.kind == ObjectKind::equal) free = optionalChild(equation, 1);
  if (free == nullptr) return std::nullopt;
  const SpaceRecipe* recipe = recipeFor(form, *free);
  if (recipe == nullptr) return std::nullopt;
  const PartMaker parts(*recipe, *free);
  if (!parts.hasAll()) return std::nullopt;

  SpaceComponentTrees trees;
  trees.kind = recipe->kind;
  trees.uRange = recipe->uRange;
  trees.vRange = recipe->vRange;
  const auto [first, second, third] = recipe->parts;
  switch (recipe->system) {
  case Cartesian:
    trees.x = parts.make(first);
    trees.y = parts.make(second);
    trees.z = parts.make(third);
    break;
  case Spherical:
    // θ around the z axis from the x axis, φ down from the positive z axis.
    trees.x = makeTimes(parts.make(first), cosOf(parts.make(second)), sinOf(parts.make(third)));
    trees.y = makeTimes(parts.make(first), sinOf(parts.make(second)), sinOf(parts.make(third)));
    trees.z = makeTimes(parts.make(first), cosOf(parts.make(third)));
    break;
  case Cylindrical:
    trees.x = makeTimes(parts.make(first), cosOf(parts.make(second)));
    trees.y = makeTimes(parts.make(first), sinOf(parts.make(second)));
    trees.z = parts.make(third);
    break;
  }
  return trees;
}

int addSpaceGraph(GraphForm form, GraphKindRequest& request) {
  std::optional<SpaceComponentTrees> trees = spaceComponentTrees(form, request.equation);
  if (!trees) return -1;
  CGraphSpace3D& space = request.container.space3D();
  // Uncompiled: each kind compiles its components as it needs them.
  SpaceComponents components{std::make_unique<Evaluator>(std::move(trees->x)),
                             std::make_unique<Evaluator>(std::move(trees->y)),
                             std::make_unique<Evaluator>(std::move(trees->z))};
  const GraphBuildSettings& settings = request.settings;
  std::unique_ptr<CGraph3D> graph;
  std::array<Coordinate, 2> over{trees->uRange, trees->vRange};
  switch (trees->kind) {
  case SpaceGraphKind::Curve:
    // A condition on a curve may speak of t, which the curve calls u.
    if (request.condition) request.condition->renameVariable(T, U);
    graph = std::make_unique<CParametricCurve3D>(space, space.heldRange(Coordinate::T), std::move(components),
                                                 std::move(request.condition), std::move(request.style),
                                                 settings.resolutionA);
    break;
  case SpaceGraphKind::VectorField:
    graph = std::make_unique<CVectorField3D>(space, std::move(components), std::move(request.condition),
                                             std::move(request.style), settings.resolutionA);
    over = {Coordinate::X, Coordinate::Y};
    break;
  case SpaceGraphKind::Surface:
    // The surface compiles its components itself, together with their derivatives.
    graph = std::make_unique<CParametricSurface>(space, std::move(components), std::move(request.condition),
                                                 std::move(request.style), space.heldRange(trees->uRange),
                                                 space.heldRange(trees->vRange), settings.resolutionA,
                                                 settings.resolutionB);
    break;
  }
  const int index = space.addGraph(std::move(graph));
  request.container.setActive3D(true);
  for (const Coordinate shown : {Coordinate::X, Coordinate::Y, Coordinate::Z, over[0], over[1]})
    request.container.showRange(static_cast<int>(shown));
  return index;
}

} // namespace vexmar
