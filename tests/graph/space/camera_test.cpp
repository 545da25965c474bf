#include "graph/space/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace vexmar {
namespace {

constexpr double kWidth = 600;
constexpr double kHeight = 400;
constexpr double kEps = 1e-9;

void expectNear(const Matrix3& actual, const Matrix3& expected, double tolerance) {
  for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

double determinant(const Matrix3& m) {
  return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
         m[2] * (m[3] * m[7] - m[4] * m[6]);
}

void expectRotation(const Matrix3& m, double tolerance) {
  expectNear(multiply(m, transpose(m)), kIdentity3, tolerance);
  EXPECT_NEAR(determinant(m), 1.0, tolerance);
}

Camera cameraFor(const Matrix3& orientation, double largestRadius = 1.2) {
  Camera camera;
  camera.update(orientation, kWidth, kHeight, defaultViewingDistance(), largestRadius);
  return camera;
}

TEST(CameraTest, IdentityViewLooksDownXWithYRightAndZUp) {
  // The eye sits on +x, so box y runs to the right and z up the screen.
  const Camera camera = cameraFor(kIdentity3);
  const double scale = std::min(kWidth, kHeight) / 2 * kEyeDistance / defaultViewingDistance();
  struct Row {
    const char* name;
    Vector3 point;
  };
  const Row rows[] = {
      {"centre", {0, 0, 0}},    {"+x+y+z", {1, 1, 1}},  {"+x-y+z", {1, -1, 1}}, {"-x+y-z", {-1, 1, -1}},
      {"-x-y-z", {-1, -1, -1}}, {"+y only", {0, 1, 0}}, {"+z only", {0, 0, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ProjectedPoint p = camera.project(row.point);
    const double distance = kEyeDistance - row.point[0];
    EXPECT_NEAR(p.x, kWidth / 2 + scale * row.point[1] / distance, kEps);
    EXPECT_NEAR(p.y, kHeight / 2 - scale * row.point[2] / distance, kEps);
    EXPECT_NEAR(p.depth, (distance - (kEyeDistance - 1.2)) / 2.4, kEps);
  }
}

TEST(CameraTest, DefaultViewKeepsTheBoxOnScreenAndCentred) {
  const Camera camera = cameraFor(defaultOrientation());
  const ProjectedPoint centre = camera.project({0, 0, 0});
  EXPECT_NEAR(centre.x, kWidth / 2, kEps);
  EXPECT_NEAR(centre.y, kHeight / 2, kEps);
  EXPECT_NEAR(centre.depth, 0.5, kEps);
  for (int corner = 0; corner < 8; ++corner) {
    SCOPED_TRACE(corner);
    const Vector3 point{corner & 1 ? 1.0 : -1.0, corner & 2 ? 1.0 : -1.0, corner & 4 ? 1.0 : -1.0};
    const ProjectedPoint p = camera.project(point);
    EXPECT_GT(p.x, 0);
    EXPECT_LT(p.x, kWidth);
    EXPECT_GT(p.y, 0);
    EXPECT_LT(p.y, kHeight);
    // Opposite corners sit on opposite sides of the centre, the nearer one with the smaller depth.
    const ProjectedPoint opposite = camera.project({-point[0], -point[1], -point[2]});
    EXPECT_LT((p.x - centre.x) * (opposite.x - centre.x) + (p.y - centre.y) * (opposite.y - centre.y), 0);
    const double nearness =
        -(point[0] * camera.forward()[0] + point[1] * camera.forward()[1] + point[2] * camera.forward()[2]);
    if (nearness > 0) {
      EXPECT_LT(p.depth, opposite.depth);
    }
  }
  // The box's +z axis leans up the screen.
  EXPECT_LT(camera.project({0, 0, 1}).y, centre.y);
}

TEST(CameraTest, NearerPointsHaveSmallerDepthAndDepthStopsAtOne) {
  struct Row {
    const char* name;
    double largestRadius;
    Vector3 nearer;
    Vector3 farther;
  };
  const Row rows[] = {
      {"small radius", 1.2, {1, 0, 0}, {-1, 0, 0}},
      {"radius 2", 2.0, {0.5, 0.3, 0}, {0.2, 0.3, 0}},
      {"near plane held at 1", 60, {40, 0, 0}, {-40, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Camera camera = cameraFor(kIdentity3, row.largestRadius);
    EXPECT_LT(camera.project(row.nearer).depth, camera.project(row.farther).depth);
  }
  const Camera wide = cameraFor(kIdentity3, 60);
  EXPECT_NEAR(wide.depthScale(), 1.0 / 99, kEps);
  EXPECT_NEAR(wide.depthOffset(), -1.0 / 99, kEps);
  EXPECT_EQ(cameraFor(kIdentity3).project({-5, 0, 0}).depth, 1.0);
}

TEST(CameraTest, FarOffPointsAreClampedAlongTheirDirection) {
  const Camera camera = cameraFor(kIdentity3);
  struct Row {
    const char* name;
    Vector3 point;
  };
  const Row rows[] = {
      {"beside the eye", {49.9, 1, 0.5}},
      {"below and left", {49.99, -3, -7}},
      {"level with the eye", {50, 2, 1}},
      {"behind the eye", {70, -1, 2}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ProjectedPoint p = camera.project(row.point);
    ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    EXPECT_NEAR(std::max(std::abs(p.x), std::abs(p.y)), kScreenLimit, 1e-6);
    // Same direction as the unclamped image, seen from the screen origin.
    const double q = std::max(kEyeDistance - row.point[0], 1e-9);
    const double scale = std::min(kWidth, kHeight) / 2 * kEyeDistance / defaultViewingDistance();
    const double rawX = kWidth / 2 + scale * row.point[1] / q;
    const double rawY = kHeight / 2 - scale * row.point[2] / q;
    EXPECT_NEAR(p.x * rawY - p.y * rawX, 0, 1e-6 * std::abs(rawX * rawY) + 1e-6);
    EXPECT_GT(p.x * rawX + p.y * rawY, 0);
  }
  const ProjectedPoint inside = camera.project({1, 1, 1});
  EXPECT_LT(std::max(std::abs(inside.x), std::abs(inside.y)), kWidth);
}

TEST(CameraTest, TrackballDragsRotateAboutThePerpendicularAxis) {
  constexpr double cx = 300;
  constexpr double cy = 200;
  constexpr double radius = 160;
  constexpr double offset = 40;
  const double angle = 2 * std::asin(offset / radius);
  struct Row {
    const char* name;
    double fromX, fromY, toX, toY;
    Vector3 axis;
    double angle;
  };
  const Row rows[] = {
      {"left to right", cx - offset, cy, cx + offset, cy, {0, 1, 0}, angle},
      {"right to left", cx + offset, cy, cx - offset, cy, {0, -1, 0}, angle},
      {"downward", cx, cy - offset, cx, cy + offset, {1, 0, 0}, angle},
      {"rim quarter turn", cx + 2 * radius, cy, cx, cy - 3 * radius, {0, 0, 1}, std::numbers::pi / 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Matrix3 r = trackballRotation(row.fromX, row.fromY, row.toX, row.toY, cx, cy, radius);
    expectRotation(r, 1e-12);
    const Vector3 fixed = apply(r, row.axis);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(fixed[i], row.axis[i], 1e-12);
    EXPECT_NEAR(r[0] + r[4] + r[8], 1 + 2 * std::cos(row.angle), 1e-12);
    // The rotation carries the sphere point under the start onto the one under the end.
    const Vector3 a = trackballVector(row.fromX, row.fromY, cx, cy, radius);
    const Vector3 b = trackballVector(row.toX, row.toY, cx, cy, radius);
    const Vector3 carried = apply(r, a);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(carried[i], b[i], 1e-12);
  }
}

TEST(CameraTest, ZeroOrUnusableDragIsTheIdentity) {
  EXPECT_EQ(trackballRotation(310, 190, 310, 190, 300, 200, 160), kIdentity3);
  EXPECT_EQ(trackballRotation(900, 200, 900, 200, 300, 200, 160), kIdentity3);
  EXPECT_EQ(trackballRotation(310, 190, 320, 190, 300, 200, 0), kIdentity3);
  EXPECT_EQ(trackballRotation(310, 190, std::numeric_limits<double>::quiet_NaN(), 190, 300, 200, 160),
            kIdentity3);
}

TEST(CameraTest, ManyDragStepsStayOrthonormal) {
  Matrix3 orientation = defaultOrientation();
  double x = 300;
  double y = 200;
  for (int step = 0; step < 20000; ++step) {
    const double nextX = 300 + 250 * std::sin(step * 0.37);
    const double nextY = 200 + 180 * std::cos(step * 0.23);
    orientation =
        orthonormalised(multiply(orientation, trackballRotation(x, y, nextX, nextY, 300, 200, 160)));
    x = nextX;
    y = nextY;
  }
  expectRotation(orientation, 1e-14);
}

TEST(CameraTest, OrthonormalisingRepairsShearAndRejectsWreckage) {
  const Matrix3 rotation = defaultOrientation();
  expectRotation(rotation, 1e-15);
  expectNear(orthonormalised(rotation), rotation, 1e-15);
  Matrix3 sheared = rotation;
  sheared[1] += 1e-3;
  sheared[5] -= 2e-3;
  const Matrix3 repaired = orthonormalised(sheared);
  expectRotation(repaired, 1e-14);
  expectNear(repaired, rotation, 5e-3);
  EXPECT_EQ(orthonormalised(Matrix3{}), kIdentity3);
  EXPECT_EQ(orthonormalised(Matrix3{1, 1, 0, 0, 0, 0, 0, 0, 1}), kIdentity3);
  EXPECT_EQ(orthonormalised(Matrix3{std::numeric_limits<double>::infinity(), 0, 0, 0, 1, 0, 0, 0, 1}),
            kIdentity3);
}

TEST(CameraTest, SpinStepTurnsOrientationByTheAxisRotation) {
  const Matrix3 orientation = defaultOrientation();
  for (int axis = 0; axis < 3; ++axis) {
    SCOPED_TRACE(axis);
    const Matrix3 spin = spinAboutAxis(orientation, axis, -0.05);
    expectRotation(spin, 1e-14);
    Matrix3 turned = orientation;
    for (int step = 0; step < 10; ++step) turned = orthonormalised(multiply(turned, spin));
    expectNear(turned, multiply(axisRotation(axis, -0.5), orientation), 1e-12);
  }
  EXPECT_EQ(axisRotation(3, 1.0), kIdentity3);
}

TEST(CameraTest, ZoomStepsReachTheFinalFactor) {
  struct Row {
    const char* name;
    bool zoomIn;
    std::array<double, 3> halfWidths;
  };
  const Row rows[] = {
      {"in", true, {1.6, 1.28, 1.0}},
      {"out", false, {2.5, 3.125, 4.0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::array<double, 3> factors = zoomStepFactors(row.zoomIn);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(2.0 * factors[i], row.halfWidths[i], 1e-15);
    EXPECT_EQ(2.0 * factors[2], row.halfWidths[2]);
  }
}

} // namespace
} // namespace vexmar
