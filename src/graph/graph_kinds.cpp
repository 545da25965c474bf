#include "graph/graph_kinds.h"

#include "graph/plane/explicit_curve.h"
#include "graph/plane/implicit_curve.h"
#include "graph/plane/parametric_curve_2d.h"
#include "graph/plane/sampled_function.h"
#include "graph/plane/vector_field_2d.h"
#include "graph/space/space_builders.h"

#include <array>
#include <cstddef>

namespace vexmar {
namespace {

// One row per form: the factory that builds it in the plane and the one that builds it in space.
// A null factory marks a form that is not drawn there, or has no graph kind there yet (implicit
// surfaces). Such an equation makes no graph, and the equation view explains nothing more than
// that. A new kind adds its own file and fills its rows here.
struct GraphKindRow {
  GraphForm form;
  GraphKindFactory plane;
  GraphKindFactory space;
};

constexpr std::array<GraphKindRow, kGraphFormCount> kGraphKinds = {{
    {GraphForm::None, nullptr, nullptr},
    {GraphForm::ExplicitYOfX, addCurveYOfX, nullptr},
    {GraphForm::ExplicitXOfY, addCurveXOfY, nullptr},
    {GraphForm::PolarROfTheta, addPolarROfTheta, nullptr},
    {GraphForm::PolarThetaOfR, addPolarThetaOfR, nullptr},
    {GraphForm::ZOfXY, addDensityOrContourPlot, addSpaceGraphOf<GraphForm::ZOfXY>},
    {GraphForm::XOfYZ, nullptr, addSpaceGraphOf<GraphForm::XOfYZ>},
    {GraphForm::YOfXZ, nullptr, addSpaceGraphOf<GraphForm::YOfXZ>},
    {GraphForm::SphericalROfThetaPhi, nullptr, addSpaceGraphOf<GraphForm::SphericalROfThetaPhi>},
    {GraphForm::SphericalThetaOfRPhi, nullptr, addSpaceGraphOf<GraphForm::SphericalThetaOfRPhi>},
    {GraphForm::SphericalPhiOfRTheta, nullptr, addSpaceGraphOf<GraphForm::SphericalPhiOfRTheta>},
    {GraphForm::CylindricalROfThetaZ, nullptr, addSpaceGraphOf<GraphForm::CylindricalROfThetaZ>},
    {GraphForm::CylindricalZOfRTheta, addDensityOrContourPlot,
     addSpaceGraphOf<GraphForm::CylindricalZOfRTheta>},
    {GraphForm::ZOfMixed, addDensityOrContourPlot, addSpaceGraphOf<GraphForm::ZOfMixed>},
    {GraphForm::CylindricalThetaOfRZ, nullptr, addSpaceGraphOf<GraphForm::CylindricalThetaOfRZ>},
    {GraphForm::PolarCurve, addPolarCurveOfT, addSpaceGraphOf<GraphForm::PolarCurve>},
    {GraphForm::VectorField2D, addVectorField2D, nullptr},
    {GraphForm::VectorField3D, nullptr, addSpaceGraphOf<GraphForm::VectorField3D>},
    {GraphForm::ParametricCurveXY, addParametricCurveXY, addSpaceGraphOf<GraphForm::ParametricCurveXY>},
    {GraphForm::ParametricCurveXYZ, nullptr, addSpaceGraphOf<GraphForm::ParametricCurveXYZ>},
    {GraphForm::SphericalCurve, nullptr, addSpaceGraphOf<GraphForm::SphericalCurve>},
    {GraphForm::CylindricalCurve, nullptr, addSpaceGraphOf<GraphForm::CylindricalCurve>},
    {GraphForm::ParametricSurfaceXYZ, nullptr, addSpaceGraphOf<GraphForm::ParametricSurfaceXYZ>},
    {GraphForm::SphericalSurface, nullptr, addSpaceGraphOf<GraphForm::SphericalSurface>},
    {GraphForm::CylindricalSurface, nullptr, addSpaceGraphOf<GraphForm::CylindricalSurface>},
    {GraphForm::ImplicitCurve, addImplicitCurve, nullptr},
    {GraphForm::ImplicitSurface, nullptr, nullptr},
    {GraphForm::ExpressionInX, addCurveYOfX, nullptr},
    {GraphForm::ExpressionInY, addCurveXOfY, nullptr},
    {GraphForm::ExpressionInXYRTheta, addDensityOrContourPlot,
     addSpaceGraphOf<GraphForm::ExpressionInXYRTheta>},
    {GraphForm::InequalityRegion, addInequalityRegion, nullptr},
}};

// The table is read by form code, so a missing or misplaced row must not compile.
constexpr bool rowsInFormOrder() {
  for (std::size_t i = 0; i < kGraphKinds.size(); ++i)
    if (formCode(kGraphKinds[i].form) != static_cast<int>(i)) return false;
  return true;
}
static_assert(rowsInFormOrder(), "kGraphKinds needs one row per form, in code order");

} // namespace

GraphKindFactory graphKindFactory(GraphForm form, bool for3D) {
  const int code = formCode(form);
  if (code >= kGraphFormCount) return nullptr;
  const GraphKindRow& row = kGraphKinds[static_cast<std::size_t>(code)];
  return for3D ? row.space : row.plane;
}

std::unique_ptr<Evaluator>
compileRenamed(const MathObject& tree,
               std::initializer_list<std::pair<std::uint16_t, std::uint16_t>> renames) {
  ObjectPtr copy = cloneTree(tree);
  for (const auto& [from, to] : renames) renameVariable(*copy, from, to);
  auto evaluator = std::make_unique<Evaluator>(std::move(copy));
  compileBatch({evaluator.get()});
  return evaluator;
}

} // namespace vexmar
