#pragma once

#include "typeset/font_face.h"

namespace vexmar {

/// Fonts with fixed, round metrics for tests of layout arithmetic. A font of p pixels (the point
/// size at `dotsPerInch`, truncated) has ascent 3p/4, descent p/4 and height p; every character is
/// p/2 wide in the text face and Arial and 5p/8 wide in the Symbol face, so a test can tell which
/// face measured a glyph.
class FixedFontServices final : public FontServices {
public:
  explicit FixedFontServices(int dotsPerInch = 96) : dotsPerInch_(dotsPerInch) {}
  [[nodiscard]] std::unique_ptr<FontFace> createFont(std::string_view faceName, Face face,
                                                     Fixed pointSize) override;
  /// Fonts made so far (the typesetter should make each face and size once).
  [[nodiscard]] int fontsCreated() const { return fontsCreated_; }

private:
  int dotsPerInch_;
  int fontsCreated_ = 0;
};

} // namespace vexmar
