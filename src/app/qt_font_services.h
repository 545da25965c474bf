#pragma once

#include "typeset/font_face.h"

#include <QFont>
#include <QString>

namespace vexmar {

/// The platform's font services through Qt: fonts asked for by face name (fontconfig resolves
/// "Times New Roman", "Symbol" and "Arial" to what is installed) at the screen's vertical
/// resolution. A Symbol font that is symbol-encoded draws the Symbol codes directly; any other
/// font gets the codes' Unicode characters, so a missing Symbol font never shows empty boxes.
class QtFontServices final : public FontServices {
public:
  explicit QtFontServices(int dotsPerInch) : dotsPerInch_(dotsPerInch) {}
  [[nodiscard]] std::unique_ptr<FontFace> createFont(std::string_view faceName, Face face,
                                                     Fixed pointSize) override;

private:
  int dotsPerInch_;
};

/// The QFont of a font made by QtFontServices.
[[nodiscard]] const QFont& qtFontOf(const FontFace& font);
/// The text that draws `codes` in a font made by QtFontServices.
[[nodiscard]] QString qtTextOf(const FontFace& font, std::string_view codes);
/// Whether the font draws Symbol codes as they are (a symbol-encoded Symbol font).
[[nodiscard]] bool drawsSymbolCodesDirectly(const FontFace& font);

} // namespace vexmar
