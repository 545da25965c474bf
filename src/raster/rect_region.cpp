#include "raster/rect_region.h"

#include <utility>

namespace vexmar {

namespace {

// The up to four disjoint pieces of `a` outside `b`, appended to `out`.
void subtract(PixelRect a, PixelRect b, std::vector<PixelRect>& out) {
  const PixelRect overlap = intersect(a, b);
  if (overlap.isEmpty()) {
    out.push_back(a);
    return;
  }
  const PixelRect pieces[] = {{a.top, a.left, overlap.top, a.right},
                              {overlap.bottom, a.left, a.bottom, a.right},
                              {overlap.top, a.left, overlap.bottom, overlap.left},
                              {overlap.top, overlap.right, overlap.bottom, a.right}};
  for (const PixelRect& piece : pieces)
    if (!piece.isEmpty()) out.push_back(piece);
}

std::vector<PixelRect> difference(const std::vector<PixelRect>& from, const std::vector<PixelRect>& remove) {
  std::vector<PixelRect> result = from;
  for (const PixelRect& cut : remove) {
    std::vector<PixelRect> next;
    for (const PixelRect& r : result) subtract(r, cut, next);
    result = std::move(next);
  }
  return result;
}

} // namespace

void RectRegion::setRect(PixelRect rect) {
  rects_.clear();
  if (!rect.isEmpty()) rects_.push_back(rect);
}

void RectRegion::combine(const RectRegion& other, RegionOperation operation) {
  switch (operation) {
  case RegionOperation::Copy:
    rects_ = other.rects_;
    return;
  case RegionOperation::Or: {
    std::vector<PixelRect> added = difference(other.rects_, rects_);
    rects_.insert(rects_.end(), added.begin(), added.end());
    return;
  }
  case RegionOperation::And: {
    std::vector<PixelRect> result;
    for (const PixelRect& a : rects_)
      for (const PixelRect& b : other.rects_)
        if (const PixelRect r = intersect(a, b); !r.isEmpty()) result.push_back(r);
    rects_ = std::move(result);
    return;
  }
  case RegionOperation::Diff:
    rects_ = difference(rects_, other.rects_);
    return;
  case RegionOperation::Xor: {
    std::vector<PixelRect> result = difference(rects_, other.rects_);
    std::vector<PixelRect> added = difference(other.rects_, rects_);
    result.insert(result.end(), added.begin(), added.end());
    rects_ = std::move(result);
    return;
  }
  }
}

bool RectRegion::contains(PixelPoint p) const {
  for (const PixelRect& r : rects_)
    if (r.contains(p)) return true;
  return false;
}

long long RectRegion::area() const {
  long long total = 0;
  for (const PixelRect& r : rects_) total += static_cast<long long>(r.width()) * r.height();
  return total;
}

} // namespace vexmar
