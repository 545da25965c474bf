#pragma once

#include "typeset/font_face.h"

#include <cstdint>

namespace vexmar {

/// The Unicode character that a code stands for in a face: the Symbol encoding for the Symbol
/// face, Mac Roman for the text face and Arial. For a platform whose Symbol font is not
/// symbol-encoded, so that its glyphs are still drawn rather than empty boxes.
[[nodiscard]] char32_t unicodeOf(Face face, std::uint8_t code);

} // namespace vexmar
