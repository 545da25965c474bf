#include "graph/space/camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vexmar {
namespace {

double dot(const Vector3& a, const Vector3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vector3 cross(const Vector3& a, const Vector3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vector3 scaled(const Vector3& v, double f) { return {v[0] * f, v[1] * f, v[2] * f}; }

Vector3 minus(const Vector3& a, const Vector3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

double length(const Vector3& v) { return std::sqrt(dot(v, v)); }

Vector3 column(const Matrix3& m, int c) {
  const auto i = static_cast<std::size_t>(c);
  return {m[i], m[3 + i], m[6 + i]};
}

// Below this a column has lost its direction and cannot be repaired.
constexpr double kDegenerate = 1e-12;

} // namespace

Matrix3 multiply(const Matrix3& left, const Matrix3& right) {
  Matrix3 out{};
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c)
      out[r * 3 + c] =
          left[r * 3] * right[c] + left[r * 3 + 1] * right[3 + c] + left[r * 3 + 2] * right[6 + c];
  return out;
}

Matrix3 transpose(const Matrix3& m) { return {m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]}; }

Vector3 apply(const Matrix3& m, const Vector3& v) {
  return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
          m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

Matrix3 orthonormalised(const Matrix3& m) {
  Vector3 first = column(m, 0);
  const double firstLength = length(first);
  if (!(firstLength > kDegenerate) || !std::isfinite(firstLength)) return kIdentity3;
  first = scaled(first, 1 / firstLength);
  Vector3 second = column(m, 1);
  second = minus(second, scaled(first, dot(first, second)));
  const double secondLength = length(second);
  if (!(secondLength > kDegenerate) || !std::isfinite(secondLength)) return kIdentity3;
  second = scaled(second, 1 / secondLength);
  // Rebuilding the third column from the other two keeps the determinant +1.
  const Vector3 third = cross(first, second);
  return {first[0], second[0], third[0], first[1], second[1], third[1], first[2], second[2], third[2]};
}

Matrix3 axisRotation(int axis, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  switch (axis) {
  case 0:
    return {1, 0, 0, 0, c, s, 0, -s, c};
  case 1:
    return {c, 0, s, 0, 1, 0, -s, 0, c};
  case 2:
    return {c, s, 0, -s, c, 0, 0, 0, 1};
  default:
    return kIdentity3;
  }
}

Matrix3 spinAboutAxis(const Matrix3& orientation, int axis, double angle) {
  return orthonormalised(multiply(multiply(transpose(orientation), axisRotation(axis, angle)), orientation));
}

Matrix3 defaultOrientation() {
  return orthonormalised(multiply(axisRotation(2, 0.3), axisRotation(1, -std::numbers::pi / 6)));
}

double defaultViewingDistance() {
  constexpr double k2 = kEyeDistance * kEyeDistance;
  return std::sqrt(3 * k2 / (k2 - 3));
}

Matrix3 rotationAbout(const Vector3& unitAxis, double cosine, double sine) {
  const double x = unitAxis[0];
  const double y = unitAxis[1];
  const double z = unitAxis[2];
  const double t = 1 - cosine;
  return {t * x * x + cosine,   t * x * y - sine * z, t * x * z + sine * y,
          t * x * y + sine * z, t * y * y + cosine,   t * y * z - sine * x,
          t * x * z - sine * y, t * y * z + sine * x, t * z * z + cosine};
}

Vector3 trackballVector(double x, double y, double cx, double cy, double radius) {
  // Screen rows grow downward, so the sphere's y is flipped.
  const double ax = (x - cx) / radius;
  const double ay = (cy - y) / radius;
  const double planar = ax * ax + ay * ay;
  if (planar < 1) return {ax, ay, std::sqrt(1 - planar)};
  const double rim = std::sqrt(planar);
  return {ax / rim, ay / rim, 0};
}

Matrix3 trackballRotation(double fromX, double fromY, double toX, double toY, double cx, double cy,
                          double radius) {
  if (!(radius > 0)) return kIdentity3;
  const Vector3 a = trackballVector(fromX, fromY, cx, cy, radius);
  const Vector3 b = trackballVector(toX, toY, cx, cy, radius);
  Vector3 axis = cross(a, b);
  const double sine = length(axis);
  if (!(sine > 0) || !std::isfinite(sine)) return kIdentity3;
  axis = scaled(axis, 1 / sine);
  return rotationAbout(axis, dot(a, b), sine);
}

std::array<double, 3> zoomStepFactors(bool zoomIn) {
  // Two steps of 1.25 (or 0.8) each, then the final factor taken from the original ranges so
  // that the animation leaves no rounding behind.
  if (zoomIn) return {0.8, 0.8 * 0.8, 0.5};
  return {1.25, 1.25 * 1.25, 2.0};
}

void Camera::update(const Matrix3& orientation, double width, double height, double viewingDistance,
                    double largestRadius) {
  const Vector3 c1 = column(orientation, 0);
  const Vector3 c3 = column(orientation, 2);
  eye_ = scaled(c1, kEyeDistance);
  forward_ = scaled(c1, -1);
  Vector3 up = minus(c3, scaled(forward_, dot(c3, forward_)));
  const double upLength = length(up);
  if (upLength > kDegenerate) up = scaled(up, 1 / upLength);
  Vector3 right = cross(up, forward_);
  const double rightLength = length(right);
  if (rightLength > kDegenerate) right = scaled(right, 1 / rightLength);
  const double scale = std::min(width, height) / 2 * kEyeDistance / viewingDistance;
  // up × forward points to the left of the screen, hence the sign.
  screenUp_ = up;
  screenRight_ = scaled(right, -1);
  scaledRight_ = scaled(right, -scale);
  scaledUp_ = scaled(up, scale);
  width_ = width;
  height_ = height;
  const double nearPlane = std::max(1.0, kEyeDistance - largestRadius);
  const double farPlane = std::min(100.0, kEyeDistance + largestRadius);
  depthA_ = 1 / (farPlane - nearPlane);
  depthB_ = -nearPlane * depthA_;
}

ProjectedPoint Camera::project(const Vector3& point) const {
  const Vector3 e = minus(point, eye_);
  // A point level with or behind the eye has no perspective image; treating it as just in front
  // sends it to the screen limit along its own direction instead of dividing by zero.
  const double q = std::max(dot(forward_, e), 1e-9);
  ProjectedPoint out{width_ / 2 + dot(scaledRight_, e) / q, height_ / 2 - dot(scaledUp_, e) / q,
                     std::min(depthA_ * q + depthB_, 1.0)};
  const double largest = std::max(std::abs(out.x), std::abs(out.y));
  if (largest > kScreenLimit) {
    out.x *= kScreenLimit / largest;
    out.y *= kScreenLimit / largest;
  }
  return out;
}

} // namespace vexmar
