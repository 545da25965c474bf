#pragma once

#include "model/insertion_point.h"
#include "model/model_state.h"
#include "text/object_text.h"
#include "typeset/fixed_font.h"
#include "typeset/typesetter.h"
#include "typeset/typesetting_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexmar::test {

/// One drawn run of text or stroke, as a surface received it.
struct DrawnItem {
  const FontFace* font = nullptr; ///< null for strokes and fills
  std::string codes;
  Fixed x = 0, y = 0, x1 = 0, y1 = 0, thickness = 0;
};

/// A surface that records what is drawn on it.
class RecordingSurface final : public DrawingSurface {
public:
  void drawText(const FontFace& font, Fixed x, Fixed baseline, std::string_view codes) override {
    texts.push_back({&font, std::string(codes), x, baseline});
  }
  void drawLine(Fixed x0, Fixed y0, Fixed x1, Fixed y1, Fixed thickness) override {
    lines.push_back({nullptr, {}, x0, y0, x1, y1, thickness});
  }
  void fillRectangle(Fixed x, Fixed y, Fixed width, Fixed height, Fill fill) override {
    (fill == Fill::Ink ? carets : highlights).push_back({nullptr, {}, x, y, x + width, y + height});
  }
  void setClip(Fixed x, Fixed y, Fixed width, Fixed height) override {
    clips.push_back({nullptr, {}, x, y, x + width, y + height});
  }
  void clearClip() override {}

  /// Runs drawn in `font` whose codes are exactly `codes`.
  [[nodiscard]] std::vector<DrawnItem> textsOf(const FontFace& font, std::string_view codes) const {
    std::vector<DrawnItem> found;
    for (const DrawnItem& t : texts)
      if (t.font == &font && t.codes == codes) found.push_back(t);
    return found;
  }

  std::vector<DrawnItem> texts, lines, carets, highlights, clips;
};

/// Fixed metrics at 96 dots per inch: the main size (18 pt) is 24 pixels high with ascent 18 and
/// descent 6, a text-face character 12 pixels wide and a Symbol one 15.
struct TypesettingFixture : ::testing::Test {
  FixedFontServices fonts;
  Typesetter typesetter{fonts};
  std::unique_ptr<InsertionPoint> line = createLineState();

  TypesettingFixture() {
    resetModelState();
    resetTypesettingState();
    modelState().activeInsertionPoint = line.get();
  }
  ~TypesettingFixture() override {
    modelState().activeInsertionPoint = nullptr;
    resetTypesettingState();
    resetModelState();
  }

  /// Lays out the tree in text form; the root is returned.
  MathObject& layout(const std::string& text) {
    ObjectPtr root = readObjectText(text);
    EXPECT_TRUE(root) << text;
    if (!root) root = makePrompt();
    line->setRoot(std::move(root));
    typesetter.layoutLine(*line);
    return *line->root;
  }
  [[nodiscard]] MathObject& at(std::vector<int> path) const {
    MathObject* o = followPath(*line->root, path);
    EXPECT_TRUE(o);
    return *o;
  }
  RecordingSurface draw(const DrawOptions& options = {}) {
    RecordingSurface surface;
    typesetter.drawLine(*line, surface, 0, 0, options);
    return surface;
  }
  /// n thousandths of the line height of a point size, as the typesetter computes them.
  [[nodiscard]] Fixed units(int n, Fixed pointSize = 18 << 16) {
    const FontMetrics m = typesetter.metrics(pointSize);
    return static_cast<Fixed>(static_cast<std::int64_t>(m.lineHeight) * n / 1000);
  }
  [[nodiscard]] const FontFace& symbol(Fixed pointSize = 18 << 16) {
    return typesetter.font(Face::Symbol, pointSize);
  }
  [[nodiscard]] const FontFace& text(Fixed pointSize = 18 << 16) {
    return typesetter.font(Face::Text, pointSize);
  }
};

/// A caret or selection to start from, by path.
struct CaretRow {
  const char* name;
  const char* tree;
  std::vector<int> path;
  SelectionMode mode;
  int first, last;
};

inline void putCaret(InsertionPoint& ip, const CaretRow& row) {
  ip.current = followPath(*ip.root, row.path);
  ASSERT_TRUE(ip.current);
  ip.mode = row.mode;
  ip.selFirst = row.first;
  ip.selLast = row.last;
}

/// Pixels as 16.16.
constexpr Fixed px(double pixels) { return static_cast<Fixed>(pixels * 65536); }
/// The baseline of a placed node.
inline Fixed baseline(const MathObject& o) { return o.bottom - o.descent; }

} // namespace vexmar::test
