#include "graph/graph_container.h"

#include "model/clock.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace vexmar {
namespace {

void putBytes(std::vector<std::uint8_t>& out, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if constexpr (std::endian::native == std::endian::little) {
    out.insert(out.end(), bytes, bytes + size);
  } else {
    for (std::size_t i = size; i-- > 0;) out.push_back(bytes[i]);
  }
}

void putDouble(std::vector<std::uint8_t>& out, double value) { putBytes(out, &value, sizeof value); }
void putInt32(std::vector<std::uint8_t>& out, std::int32_t value) { putBytes(out, &value, sizeof value); }

// Reads values in order from a record whose length was checked beforehand.
class Reader {
public:
  explicit Reader(const std::vector<std::uint8_t>& record) : record_(record) {}
  template <typename T> T take() {
    T value;
    std::uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, record_.data() + at_, sizeof(T));
    if constexpr (std::endian::native != std::endian::little) std::reverse(bytes, bytes + sizeof(T));
    std::memcpy(&value, bytes, sizeof(T));
    at_ += sizeof(T);
    return value;
  }
  CoordinateRange takeRange() {
    const double min = take<double>();
    return {min, take<double>()};
  }

private:
  const std::vector<std::uint8_t>& record_;
  std::size_t at_ = 0;
};

bool finiteRange(const CoordinateRange& r) { return std::isfinite(r.min) && std::isfinite(r.max); }

} // namespace

CGraphContainer::CGraphContainer(PixelRect rect) : CGraphContainer(rect, steadyClock()) {}

CGraphContainer::CGraphContainer(PixelRect rect, Clock& clock)
    : plane_(rect, clock), space3D_(rect, &clock), active_(&plane_) {}

void CGraphContainer::zoom(int kind) {
  if (kind == CGraphPlane::Reset) {
    plane_.zoom(kind);
    space3D_.zoom(kind);
    return;
  }
  active_->zoom(kind);
}

void CGraphContainer::clearGraphs() {
  plane_.clearGraphs();
  space3D_.clearGraphs();
}

void CGraphContainer::layoutChanged(PixelRect rect) {
  plane_.layoutChanged(rect);
  space3D_.layoutChanged(rect);
}

std::optional<CoordinateRange> CGraphContainer::showRange(int index) {
  if (index < 0) {
    shownRanges_.clear();
    return std::nullopt;
  }
  const std::optional<CoordinateRange> range = is3DActive() ? space3D_.range(index) : plane_.range(index);
  if (!range) return std::nullopt;
  if (std::find(shownRanges_.begin(), shownRanges_.end(), index) == shownRanges_.end())
    shownRanges_.push_back(index);
  return range;
}

bool CGraphContainer::setRange(int index, bool isMax, double value) {
  if (is3DActive()) return space3D_.setRange(index, isMax, value);
  if (!plane_.setRange(index, isMax, value)) return false;
  // A curve over the changed range must be computed again.
  for (int i = 0; i < plane_.graphCount(); ++i) plane_.graph(i)->invalidate();
  return true;
}

std::vector<std::uint8_t> CGraphContainer::saveSettings() const {
  std::vector<std::uint8_t> out;
  out.reserve(kPlaneSettingsBytes + kSpaceSettingsBytes);
  const PlaneSettings& p = plane_.settings();
  for (const CoordinateRange& r : {p.tRange, p.rRange, p.thetaRange}) {
    putDouble(out, r.min);
    putDouble(out, r.max);
  }
  for (double value :
       {p.scale, p.originColumn, p.originRow, p.pixelsPerUnitX, p.pixelsPerUnitY, p.xMin, p.yMin})
    putDouble(out, value);
  putInt32(out, p.tickStepCode);

  for (double value : space3D_.spin) putDouble(out, value);
  for (double value : space3D_.orientation) putDouble(out, value);
  for (const CoordinateRange& r : space3D_.ranges) {
    putDouble(out, r.min);
    putDouble(out, r.max);
  }
  putInt32(out, space3D_.spinning ? 1 : 0);
  return out;
}

bool CGraphContainer::loadSettings(const std::vector<std::uint8_t>& record) {
  if (record.size() < kPlaneSettingsBytes + kSpaceSettingsBytes) return false;
  Reader in(record);
  PlaneSettings p;
  p.tRange = in.takeRange();
  p.rRange = in.takeRange();
  p.thetaRange = in.takeRange();
  p.scale = in.take<double>();
  p.originColumn = in.take<double>();
  p.originRow = in.take<double>();
  p.pixelsPerUnitX = in.take<double>();
  p.pixelsPerUnitY = in.take<double>();
  p.xMin = in.take<double>();
  p.yMin = in.take<double>();
  p.tickStepCode = in.take<std::int32_t>();

  CGraphSpace3D::Matrix3 spin{};
  CGraphSpace3D::Matrix3 orientation{};
  for (double& value : spin) value = in.take<double>();
  for (double& value : orientation) value = in.take<double>();
  std::array<CoordinateRange, 10> ranges{};
  for (CoordinateRange& r : ranges) r = in.takeRange();
  const bool spinning = in.take<std::int32_t>() != 0;

  // The derived mapping values are recomputed; only what defines the view is checked.
  const bool planeValid = std::isnormal(p.scale) && p.scale > 0 && std::isfinite(p.xMin) &&
                          std::isfinite(p.yMin) && finiteRange(p.tRange) && finiteRange(p.rRange) &&
                          finiteRange(p.thetaRange);
  bool spaceValid = true;
  for (const CoordinateRange& r : ranges) spaceValid = spaceValid && finiteRange(r);
  for (double value : spin) spaceValid = spaceValid && std::isfinite(value);
  for (double value : orientation) spaceValid = spaceValid && std::isfinite(value);
  if (!planeValid || !spaceValid) return false;
  if (p.tickStepCode != 1 && p.tickStepCode != 2 && p.tickStepCode != 5) p.tickStepCode = 1;

  plane_.setSettings(p);
  space3D_.spin = spin;
  space3D_.orientation = orientation;
  space3D_.ranges = ranges;
  space3D_.spinning = spinning;
  return true;
}

} // namespace vexmar
