#pragma once

#include "model/insertion_point.h"
#include "typeset/font_face.h"
#include "typeset/layout_context.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexmar {

/// The point-size table of a line from the three size preferences (whole points): the big size is
/// 24 points with an 18-point main size and one and a half times the main size otherwise.
[[nodiscard]] SizeTable makeSizeTable(int mainPoints, int firstScriptPoints, int secondScriptPoints);

/// What drawing a line shows besides the equation.
struct DrawOptions {
  bool caret = false; ///< the caret, or the selection highlight, of the line's insertion point
  /// The prompt at the insertion point is drawn without its question mark (typing has started).
  bool promptWithoutMark = false;
};

/// One display line of a laid-out equation: the part of the unbroken layout between `start` and
/// `end` (x, line coordinates), drawn `shift` further down than the first display line.
struct DisplayLine {
  Fixed start = 0;
  Fixed end = 0;
  Fixed shift = 0;
};

/// Turns equation lines into printed mathematics: chooses sizes, inserts display parentheses,
/// measures and places every node, breaks over-wide lines, and draws them. Fonts come from the
/// platform's font services and are made once per face and size.
class Typesetter {
public:
  explicit Typesetter(FontServices& services, std::string typeface = "Times New Roman");
  ~Typesetter();
  Typesetter(const Typesetter&) = delete;
  Typesetter& operator=(const Typesetter&) = delete;

  /// Changes the text face (the Typeface preference); the fonts are made again.
  void setTypeface(std::string typeface);
  [[nodiscard]] const std::string& typeface() const { return typeface_; }

  /// Lays the line out and marks it valid.
  void layoutLine(InsertionPoint& ip);
  /// Lays the line out when a change made it invalid.
  void ensureLayout(InsertionPoint& ip);

  /// Draws a laid-out line with the top-left corner of its first display line at (x, y).
  void drawLine(const InsertionPoint& ip, DrawingSurface& surface, Fixed x, Fixed y,
                const DrawOptions& options = {});

  /// The display lines of a laid-out line (one when it is not broken).
  [[nodiscard]] static std::vector<DisplayLine> displayLines(const InsertionPoint& ip);
  /// The space a laid-out line takes when drawn: width of the widest display line and the height of
  /// all of them.
  [[nodiscard]] static Fixed drawnWidth(const InsertionPoint& ip);
  [[nodiscard]] static Fixed drawnHeight(const InsertionPoint& ip);

  /// Width of the first `count` characters of a laid-out `string` object.
  [[nodiscard]] Fixed textPrefixWidth(const InsertionPoint& ip, const MathObject& string, int count);
  /// The character boundary of a laid-out `string` nearest to x (line coordinates).
  [[nodiscard]] int characterIndexAt(const InsertionPoint& ip, const MathObject& string, Fixed x);

  /// The font of a face at a point size, made on first use.
  [[nodiscard]] const FontFace& font(Face face, Fixed pointSize);
  /// Metrics of a point size: the text face and the Symbol face together, or `face` alone when
  /// `alone` (Arial and the big Symbol font are measured alone).
  [[nodiscard]] FontMetrics metrics(Fixed pointSize, Face face = Face::Text, bool alone = false);

private:
  struct FontSlot;
  struct MetricsSlot;

  void measureTree(InsertionPoint& ip, LayoutContext& ctx);
  void drawTree(const InsertionPoint& ip, LayoutContext& ctx, Fixed visibleLeft, Fixed visibleRight);

  FontServices& services_;
  std::string typeface_;
  std::vector<FontSlot> fonts_;
  std::vector<MetricsSlot> metrics_;
};

} // namespace vexmar
