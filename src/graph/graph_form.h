#pragma once

#include <cstdint>

namespace vexmar {

/// What an equation graphs as; 0 when it cannot be graphed. The codes are stored and shown, so
/// they never change.
enum class GraphForm : std::uint8_t {
  None = 0,
  ExplicitYOfX = 1,          ///< y = f(x)
  ExplicitXOfY = 2,          ///< x = f(y)
  PolarROfTheta = 3,         ///< r = f(θ)
  PolarThetaOfR = 4,         ///< θ = f(r)
  ZOfXY = 5,                 ///< z = f(x, y)
  XOfYZ = 6,                 ///< x = f(y, z)
  YOfXZ = 7,                 ///< y = f(x, z)
  SphericalROfThetaPhi = 8,  ///< r = f(θ, φ)
  SphericalThetaOfRPhi = 9,  ///< θ = f(r, φ)
  SphericalPhiOfRTheta = 10, ///< φ = f(r, θ)
  CylindricalROfThetaZ = 11, ///< r = f(θ, z)
  CylindricalZOfRTheta = 12, ///< z = f(r, θ)
  ZOfMixed = 13,             ///< z = f(x, y, r, θ)
  CylindricalThetaOfRZ = 14, ///< θ = f(r, z)
  PolarCurve = 15,           ///< [r, θ] = [f(t), g(t)]
  VectorField2D = 16,        ///< [x, y] = [f(x, y), g(x, y)]
  VectorField3D = 17,        ///< [x, y, z] = [f, g, h](x, y, z)
  ParametricCurveXY = 18,    ///< [x, y] = [f(t), g(t)]
  ParametricCurveXYZ = 19,   ///< [x, y, z] = [..](t)
  SphericalCurve = 20,       ///< [r, θ, φ] = [..](t)
  CylindricalCurve = 21,     ///< [r, θ, z] = [..](t)
  ParametricSurfaceXYZ = 22, ///< [x, y, z] = [..](u, v)
  SphericalSurface = 23,     ///< [r, θ, φ] = [..](u, v)
  CylindricalSurface = 24,   ///< [r, θ, z] = [..](u, v)
  ImplicitCurve = 25,        ///< F(x, y, r, θ) = G(x, y, r, θ)
  ImplicitSurface = 26,      ///< F(x, y, z) = G(x, y, z)
  ExpressionInX = 27,        ///< an expression in x alone: y = expression
  ExpressionInY = 28,        ///< an expression in y alone: x = expression
  ExpressionInXYRTheta = 29, ///< an expression in x, y, r, θ: z = expression
  InequalityRegion = 30,     ///< a chain of < / > in x, y, r, θ
};

/// One past the largest form code: the size of any table indexed by form.
inline constexpr int kGraphFormCount = 31;

[[nodiscard]] constexpr int formCode(GraphForm form) { return static_cast<int>(form); }

/// True when a condition `a < b` after the comma may restrict a graph of this form.
[[nodiscard]] bool acceptsInequalityConditions(GraphForm form, bool for3D);
/// True when `[r, g, b] = [...]` or `[h, s, v] = [...]` after the comma may colour it.
[[nodiscard]] bool acceptsColourFormula(GraphForm form, bool for3D);
/// The surface forms, which carry surface patterns and textures (enables Load Textures).
[[nodiscard]] bool isPatternedSurfaceForm(GraphForm form);
/// Forms drawn as a surface, a density plot or a contour plot as the plot style says.
[[nodiscard]] bool isSurfaceDensityOrContourForm(GraphForm form);
/// Forms that only exist in 3D space, whatever the plot style.
[[nodiscard]] bool isSpaceOnlyForm(GraphForm form);

} // namespace vexmar
