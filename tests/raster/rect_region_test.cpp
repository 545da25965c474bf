#include "raster/rect_region.h"

#include <gtest/gtest.h>

namespace vexmar {
namespace {

// Every operation checked pixel by pixel against the same operation on the two membership tests.
TEST(RectRegionTest, CombinationsMatchPointwiseLogic) {
  struct Row {
    const char* name;
    RegionOperation operation;
    bool (*expected)(bool inA, bool inB);
  };
  const Row rows[] = {
      {"copy", RegionOperation::Copy, [](bool, bool b) { return b; }},
      {"or", RegionOperation::Or, [](bool a, bool b) { return a || b; }},
      {"and", RegionOperation::And, [](bool a, bool b) { return a && b; }},
      {"diff", RegionOperation::Diff, [](bool a, bool b) { return a && !b; }},
      {"xor", RegionOperation::Xor, [](bool a, bool b) { return a != b; }},
  };
  RectRegion a({0, 0, 6, 6});
  a.combine(RectRegion({4, 4, 10, 9}), RegionOperation::Or); // an L-ish union
  const RectRegion b({2, 3, 8, 12});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RectRegion result = a;
    result.combine(b, row.operation);
    long long count = 0;
    for (int y = -1; y < 14; ++y)
      for (int x = -1; x < 14; ++x) {
        const bool want = row.expected(a.contains({x, y}), b.contains({x, y}));
        EXPECT_EQ(result.contains({x, y}), want) << x << "," << y;
        count += want ? 1 : 0;
      }
    EXPECT_EQ(result.area(), count) << "rectangles overlap";
  }
}

TEST(RectRegionTest, EmptyRectanglesMakeEmptyRegions) {
  RectRegion region({5, 5, 5, 9});
  EXPECT_TRUE(region.isEmpty());
  region.setRect({0, 0, 2, 2});
  region.combine(RectRegion({2, 2, 4, 4}), RegionOperation::And);
  EXPECT_TRUE(region.isEmpty());
  EXPECT_FALSE(region.contains({0, 0}));
}

} // namespace
} // namespace vexmar
