#include "graph/plane/sampled_function.h"

#include "graph/equation_classifier.h"
#include "graph/graph_container.h"
#include "graph/graph_kinds.h"
#include "graph/plane/contour_plot.h"
#include "graph/plane/density_plot.h"
#include "graph/plane/graph_plane.h"

namespace vexmar {

SampledFunction::SampledFunction(const MathObject& function)
    : grid_(std::make_unique<Evaluator>(cloneTree(function))),
      point_(std::make_unique<Evaluator>(cloneTree(function))) {
  grid_->renameVariable(Letter::X, Letter::U);
  grid_->renameVariable(Letter::Y, Letter::V);
  compile();
}

SampledFunction::~SampledFunction() = default;
SampledFunction::SampledFunction(SampledFunction&&) noexcept = default;
SampledFunction& SampledFunction::operator=(SampledFunction&&) noexcept = default;

void SampledFunction::compile() {
  block_ = compileGridBatch({grid_.get()});
  compileBatch({point_.get()});
}

void SampledFunction::prepareGrid(double x, double y, double xStep, double yStep, int columns, int rows) {
  vexmar::prepareGrid(x, y, xStep, yStep, columns, rows, *block_);
}

bool SampledFunction::parameterChanged(std::uint16_t name, double value) {
  if (!point_->dependsOnVariable(name)) return false;
  if (applyParameterValue(name, value)) compile();
  return true;
}

bool SampledFunction::readout(const PlaneMapping& mapping, PixelPoint point, ReadoutRecord& record) const {
  if (!mapping.rect.contains(point)) return false;
  const double x = mapping.xOf(point.x);
  const double y = mapping.yOf(point.y);
  const double z = at(x, y);
  if (std::isnan(z)) return false;
  record = ReadoutRecord::ofPoint(x, y);
  record.add({"z: ", z});
  return true;
}

int addDensityOrContourPlot(GraphKindRequest& request) {
  // Only these two plot styles are drawn in the plane; a surface belongs to space.
  const double plotStyle = request.settings.plotStyle;
  if (plotStyle != 2.0 && plotStyle != 3.0) return -1;
  const MathObject& function = request.right ? *request.right : request.equation;
  CGraphPlane& plane = request.container.plane();
  const double resolution = request.settings.resolutionA;
  std::unique_ptr<CGraph2D> graph;
  if (plotStyle == 2.0)
    graph = std::make_unique<CDensityPlot>(plane, SampledFunction(function), std::move(request.style),
                                           resolution);
  else
    graph = std::make_unique<CContourPlot>(plane, SampledFunction(function), std::move(request.style),
                                           resolution);
  const int index = plane.addGraph(std::move(graph));
  request.container.setActive3D(false);
  return index;
}

} // namespace vexmar
