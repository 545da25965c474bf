#include "typeset/fixed_font.h"

namespace vexmar {
namespace {

class FixedFontFace final : public FontFace {
public:
  FixedFontFace(int pixels, Face face) : pixels_(pixels), face_(face) {}
  [[nodiscard]] Fixed ascent() const override { return toFixed(pixels_) / 4 * 3; }
  [[nodiscard]] Fixed descent() const override { return toFixed(pixels_) / 4; }
  [[nodiscard]] Fixed height() const override { return toFixed(pixels_); }
  [[nodiscard]] Fixed textWidth(std::string_view codes) const override {
    return static_cast<Fixed>(codes.size()) * characterWidth(0);
  }
  [[nodiscard]] Fixed characterWidth(std::uint8_t) const override {
    return face_ == Face::Symbol ? toFixed(pixels_) / 8 * 5 : toFixed(pixels_) / 2;
  }

private:
  int pixels_;
  Face face_;
};

} // namespace

std::unique_ptr<FontFace> FixedFontServices::createFont(std::string_view, Face face, Fixed pointSize) {
  ++fontsCreated_;
  return std::make_unique<FixedFontFace>(pixelSizeFor(pointSize, dotsPerInch_), face);
}

} // namespace vexmar
