#pragma once

#include <array>

namespace vexmar {

/// A 3 x 3 matrix of doubles stored row by row; a 3-vector.
using Matrix3 = std::array<double, 9>;
using Vector3 = std::array<double, 3>;

inline constexpr Matrix3 kIdentity3{1, 0, 0, 0, 1, 0, 0, 0, 1};

/// Distance of the eye from the box centre, in box units.
inline constexpr double kEyeDistance = 50.0;

/// Screen coordinates are kept within this so that no drawing coordinate overflows 16 bits.
inline constexpr double kScreenLimit = 16383.0;

[[nodiscard]] Matrix3 multiply(const Matrix3& left, const Matrix3& right);
[[nodiscard]] Matrix3 transpose(const Matrix3& m);
[[nodiscard]] Vector3 apply(const Matrix3& m, const Vector3& v);

/// Gram–Schmidt on the columns, the third rebuilt as the cross product so the result stays a
/// proper rotation; a matrix too degenerate to repair (or not finite) becomes the identity.
[[nodiscard]] Matrix3 orthonormalised(const Matrix3& m);

/// The rotation by angle radians about box axis 0, 1 or 2 (x, y, z), as the spin option codes
/// 2, 3 and 4 build it. Any other axis gives the identity.
[[nodiscard]] Matrix3 axisRotation(int axis, double angle);

/// The spin that turns the orientation into R · orientation at every spin step.
[[nodiscard]] Matrix3 spinAboutAxis(const Matrix3& orientation, int axis, double angle);

/// The orientation a reset view starts with.
[[nodiscard]] Matrix3 defaultOrientation();

/// √(3k² / (k² − 3)): the viewing distance of a reset view.
[[nodiscard]] double defaultViewingDistance();

/// Rodrigues' formula for a rotation about a unit axis given its cosine and sine.
[[nodiscard]] Matrix3 rotationAbout(const Vector3& unitAxis, double cosine, double sine);

/// The trackball's point on the unit sphere under screen point (x, y); centre (cx, cy), radius
/// in pixels. Points outside the circle land on its rim.
[[nodiscard]] Vector3 trackballVector(double x, double y, double cx, double cy, double radius);

/// The rotation taking the trackball vector under `from` to the one under `to`; the identity for
/// a zero drag or a non-positive radius.
[[nodiscard]] Matrix3 trackballRotation(double fromX, double fromY, double toX, double toY, double cx,
                                        double cy, double radius);

/// The range scale factors of a zoom's animated steps, each relative to the ranges from before
/// the zoom: two intermediate steps, then the final one.
[[nodiscard]] std::array<double, 3> zoomStepFactors(bool zoomIn);

/// A box point on the screen: pixel position within the view and the depth for the rasteriser.
struct ProjectedPoint {
  double x = 0;
  double y = 0;
  double depth = 0;
};

/// The perspective camera looking at the box centre from the eye placed by the orientation.
class Camera {
public:
  /// Brings the camera up to date with the orientation, the view size in pixels, the current
  /// viewing distance and the largest radius any graph reaches.
  void update(const Matrix3& orientation, double width, double height, double viewingDistance,
              double largestRadius);

  [[nodiscard]] ProjectedPoint project(const Vector3& point) const;

  [[nodiscard]] const Vector3& eye() const { return eye_; }
  [[nodiscard]] const Vector3& forward() const { return forward_; }
  /// Unit vectors in box space pointing up and to the right on the screen.
  [[nodiscard]] const Vector3& screenUp() const { return screenUp_; }
  [[nodiscard]] const Vector3& screenRight() const { return screenRight_; }
  [[nodiscard]] double depthScale() const { return depthA_; }
  [[nodiscard]] double depthOffset() const { return depthB_; }

private:
  Vector3 eye_{kEyeDistance, 0, 0};
  Vector3 scaledRight_{0, 1, 0};
  Vector3 scaledUp_{0, 0, 1};
  Vector3 forward_{-1, 0, 0};
  Vector3 screenUp_{0, 0, 1};
  Vector3 screenRight_{0, 1, 0};
  double width_ = 0;
  double height_ = 0;
  double depthA_ = 1;
  double depthB_ = 0;
};

} // namespace vexmar
