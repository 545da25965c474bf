#include "app/qt_font_services.h"

#include "typeset/face_encoding.h"

#include <QFontMetricsF>
#include <QRawFont>

#include <array>
#include <cmath>

namespace vexmar {
namespace {

Fixed fixedFrom(qreal pixels) { return static_cast<Fixed>(std::lround(pixels * 65536.0)); }

// A symbol-encoded font has a glyph for the Symbol code of alpha but none for alpha itself.
bool isSymbolEncoded(const QFont& font) {
  const QRawFont raw = QRawFont::fromFont(font);
  return raw.isValid() && raw.supportsCharacter(QChar(0x61)) && !raw.supportsCharacter(QChar(0x3B1));
}

class QtFontFace final : public FontFace {
public:
  QtFontFace(const QFont& font, Face face)
      : font_(font), metrics_(font_), face_(face), direct_(face == Face::Symbol && isSymbolEncoded(font_)) {}

  [[nodiscard]] Fixed ascent() const override { return fixedFrom(metrics_.ascent()); }
  [[nodiscard]] Fixed descent() const override { return fixedFrom(metrics_.descent()); }
  [[nodiscard]] Fixed height() const override { return fixedFrom(metrics_.ascent() + metrics_.descent()); }
  // Without kerning a run is as wide as its characters, so widths are measured once per code
  // and added up: the layout asks for them on every pass.
  [[nodiscard]] Fixed textWidth(std::string_view codes) const override {
    Fixed width = 0;
    for (char c : codes) width += characterWidth(static_cast<std::uint8_t>(c));
    return width;
  }
  [[nodiscard]] Fixed characterWidth(std::uint8_t code) const override {
    Fixed& width = widths_[code];
    if (width < 0) {
      const char c = static_cast<char>(code);
      width = fixedFrom(metrics_.horizontalAdvance(text(std::string_view(&c, 1))));
    }
    return width;
  }

  [[nodiscard]] const QFont& font() const { return font_; }
  [[nodiscard]] bool direct() const { return direct_; }
  [[nodiscard]] QString text(std::string_view codes) const {
    QString s;
    s.reserve(static_cast<qsizetype>(codes.size()));
    for (char c : codes) {
      const auto code = static_cast<std::uint8_t>(c);
      if (direct_) {
        s.append(QChar(code));
        continue;
      }
      const char32_t u = unicodeOf(face_, code);
      s.append(QString::fromUcs4(u ? &u : U" ", 1));
    }
    return s;
  }

private:
  QFont font_;
  QFontMetricsF metrics_;
  Face face_;
  bool direct_;
  mutable std::array<Fixed, 256> widths_ = filledWith(-1);

  static std::array<Fixed, 256> filledWith(Fixed value) {
    std::array<Fixed, 256> a{};
    a.fill(value);
    return a;
  }
};

const QtFontFace& qtFace(const FontFace& font) { return dynamic_cast<const QtFontFace&>(font); }

} // namespace

std::unique_ptr<FontFace> QtFontServices::createFont(std::string_view faceName, Face face, Fixed pointSize) {
  QFont font(QString::fromUtf8(faceName.data(), static_cast<qsizetype>(faceName.size())));
  font.setPixelSize(pixelSizeFor(pointSize, dotsPerInch_));
  font.setKerning(false); // widths of runs add up, so carets fall between characters
  return std::make_unique<QtFontFace>(font, face);
}

const QFont& qtFontOf(const FontFace& font) { return qtFace(font).font(); }

QString qtTextOf(const FontFace& font, std::string_view codes) { return qtFace(font).text(codes); }

bool drawsSymbolCodesDirectly(const FontFace& font) { return qtFace(font).direct(); }

} // namespace vexmar
