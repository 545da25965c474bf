#pragma once

#include "model/insertion_point.h"
#include "typeset/font_face.h"

#include <cstdint>
#include <string_view>

namespace vexmar {

class Typesetter;

/// Metrics of the selected size: the text face and the Symbol face measured together (or one
/// font alone for Arial and the big Symbol font), 16.16 pixels.
struct FontMetrics {
  Fixed lineHeight = 0;
  Fixed ascent = 0;
  Fixed descent = 0;
  Fixed hairline = 0;
};

/// The spacing constants, in thousandths of the line height.
namespace Spacing {
inline constexpr int kFractionGap = 100;
inline constexpr int kFractionIndent = 83;
inline constexpr int kSlashGap = 111;
inline constexpr int kListGap = 2000;
inline constexpr int kDecorationInset = 100;
inline constexpr int kMatrixRowGap = 200;
inline constexpr int kMatrixColumnGap = 200;
inline constexpr int kOperatorGap = 250;
inline constexpr int kEqualGap = 500;
inline constexpr int kInnerEqualGap = 333;
inline constexpr int kLimitGap = 150;
inline constexpr int kBracketArm = 300;
inline constexpr int kBigOperatorLimitGap = 200;
inline constexpr int kFunctionGap = 100;
inline constexpr int kRadicalSign = 600;
inline constexpr int kRadicalIndexOverlap = 300;
inline constexpr int kTimesGap = 59;
inline constexpr int kSmallTimesGap = 77; ///< below 9 pixels of line height
inline constexpr int kDropA = 50;         ///< index drop, percent of the base's height
inline constexpr int kDropB = 75;         ///< index drop, percent of the index's height
inline constexpr int kRuleThickness = 100;
} // namespace Spacing

/// The largest length or position a layout keeps (16,777,215 pixels, far more than the longest
/// line the editor can build): routines may add and multiply a few of them without leaving the
/// range of Fixed, whatever tree they are given.
inline constexpr Fixed kLengthLimit = (Fixed{1} << 40) - 1;
[[nodiscard]] constexpr Fixed clampLength(std::int64_t value) {
  return static_cast<Fixed>(value < -kLengthLimit  ? -kLengthLimit
                            : value > kLengthLimit ? kLengthLimit
                                                   : value);
}

/// The math axis: 268/1024 of the line height above the baseline.
[[nodiscard]] constexpr Fixed mathAxis(Fixed lineHeight) {
  return static_cast<Fixed>(static_cast<std::int64_t>(lineHeight) * 268 / 1024);
}

/// What the layout routines work with: the selected font size and its metrics, unit conversion,
/// text measurement and, when drawing, the surface.
class LayoutContext {
public:
  LayoutContext(Typesetter& typesetter, const InsertionPoint& line, int raiseA, int raiseB);

  /// Selects the size of the node's level (or its own font size) as measureTree does.
  void selectFor(const MathObject& node);
  void selectSize(Fixed pointSize);
  [[nodiscard]] Fixed size() const { return size_; }
  [[nodiscard]] const FontMetrics& metrics() const { return metrics_; }
  /// The point size of a size level in this line (levels above 5 use the last entry).
  [[nodiscard]] Fixed levelSize(int level) const;

  [[nodiscard]] bool measuring() const { return surface_ == nullptr; }
  [[nodiscard]] bool drawing() const { return surface_ != nullptr; }

  /// n thousandths of the line height, across and up (both scales are 100 percent).
  [[nodiscard]] Fixed units(int n) const {
    return static_cast<Fixed>(static_cast<std::int64_t>(metrics_.lineHeight) * n / 1000);
  }
  [[nodiscard]] Fixed rule() const { return units(Spacing::kRuleThickness); }
  [[nodiscard]] Fixed axis() const { return mathAxis(metrics_.lineHeight); }
  [[nodiscard]] Fixed hairline() const { return metrics_.hairline; }
  /// The space between two factors of a product.
  [[nodiscard]] Fixed timesGap() const {
    return units(metrics_.lineHeight < toFixed(9) ? Spacing::kSmallTimesGap : Spacing::kTimesGap);
  }
  [[nodiscard]] int raiseA() const { return raiseA_; }
  [[nodiscard]] int raiseB() const { return raiseB_; }

  /// A child's ascent and descent as seen when aligning baselines: a box that is not a text box
  /// is centred on the math axis.
  [[nodiscard]] Fixed effectiveAscent(const MathObject& c) const {
    return c.textBox ? c.ascent : c.ascent + axis();
  }
  [[nodiscard]] Fixed effectiveDescent(const MathObject& c) const {
    return c.textBox ? c.descent : c.descent - axis();
  }
  /// Where a child's own baseline sits relative to a shared baseline (down positive).
  [[nodiscard]] Fixed alignedBaseline(const MathObject& c) const { return c.textBox ? 0 : -axis(); }

  [[nodiscard]] const FontFace& font(Face face) const;
  [[nodiscard]] const FontFace& font(Face face, Fixed pointSize) const;
  [[nodiscard]] Fixed textWidth(Face face, std::string_view codes) const {
    return font(face).textWidth(codes);
  }
  [[nodiscard]] Fixed glyphWidth(Face face, std::uint8_t code) const {
    return font(face).characterWidth(code);
  }

  // Drawing, in line coordinates (the origin of the drawing is added here).
  void beginDrawing(DrawingSurface& surface, Fixed originX, Fixed originY, const MathObject* blankPrompt);
  [[nodiscard]] const MathObject* blankPrompt() const { return blankPrompt_; }
  /// Only what reaches between these x (line coordinates) is drawn: a broken line draws each of
  /// its display lines through a clip, and what falls outside it costs nothing.
  void setVisibleRange(Fixed left, Fixed right) {
    visibleLeft_ = left;
    visibleRight_ = right;
  }
  void drawText(Face face, Fixed x, Fixed baseline, std::string_view codes) const;
  void drawText(const FontFace& font, Fixed x, Fixed baseline, std::string_view codes) const;
  void drawGlyph(Face face, std::uint8_t code, Fixed x, Fixed baseline) const;
  void drawLine(Fixed x0, Fixed y0, Fixed x1, Fixed y1, Fixed thickness) const;

  [[nodiscard]] Typesetter& typesetter() const { return typesetter_; }
  [[nodiscard]] const InsertionPoint& line() const { return line_; }

private:
  Typesetter& typesetter_;
  const InsertionPoint& line_;
  int raiseA_, raiseB_;
  Fixed size_ = 0;
  FontMetrics metrics_;
  DrawingSurface* surface_ = nullptr;
  Fixed originX_ = 0, originY_ = 0;
  const MathObject* blankPrompt_ = nullptr;
  Fixed visibleLeft_ = INT64_MIN, visibleRight_ = INT64_MAX;
};

/// Places children on baselines relative to the node's baseline and sums up the node's ascent and
/// descent. A placed child's relY holds its baseline offset until finish() turns it into the offset
/// of its bottom from the node's bottom, once the node's descent is known.
class ChildPlacer {
public:
  ChildPlacer(Fixed ascent, Fixed descent) : ascent_(ascent), descent_(descent) {}
  /// Puts the child's baseline `baselineOffset` below the node's baseline (negative: above).
  void put(MathObject& child, Fixed x, Fixed baselineOffset);
  /// Reserves room above or below the baseline (for glyphs and rules the routine draws).
  void extend(Fixed ascent, Fixed descent);
  [[nodiscard]] Fixed ascent() const { return clampLength(ascent_); }
  [[nodiscard]] Fixed descent() const { return clampLength(descent_); }
  /// Writes the node's ascent and descent and every placed child's relY.
  void finish(MathObject& node) const;

private:
  std::int64_t ascent_, descent_;
};

/// A box's height.
[[nodiscard]] inline Fixed heightOf(const MathObject& o) {
  return clampLength(static_cast<std::int64_t>(o.ascent) + o.descent);
}
/// A laid-out node's baseline in line coordinates.
[[nodiscard]] inline Fixed baselineOf(const MathObject& o) { return o.bottom - o.descent; }

/// Adds without wrapping: a line wider than a layout can hold stays at its limit.
[[nodiscard]] Fixed saturatedAdd(Fixed a, Fixed b);

} // namespace vexmar
