#pragma once

#include "model/math_object.h"

#include <QImage>

namespace vexmar {

class Typesetter;

/// The name of the clipboard format that carries an equation's text form.
inline constexpr char kEquationClipboardFormat[] = "VexmarFormat1";

/// The system clipboard as the equation editor uses it: equations travel as their text form,
/// with a picture of the typeset equation for other programs.
class QtClipboard {
public:
  /// Places the tree's text form and its typeset picture on the clipboard.
  static void putEquation(const MathObject& tree, Typesetter& typesetter);
  /// Empties the clipboard (a copied operator has no text form that other programs could use).
  static void clear();
  /// True while the clipboard holds an equation.
  [[nodiscard]] static bool holdsEquation();
  /// The equation on the clipboard, or null when there is none or its text is invalid.
  [[nodiscard]] static ObjectPtr readEquation();

  /// The tree typeset black on white, at `devicePixelRatio` times its size in pixels; a null
  /// image when the tree is too large for a picture.
  [[nodiscard]] static QImage typesetImage(const MathObject& tree, Typesetter& typesetter,
                                           qreal devicePixelRatio = 1.0);
};

} // namespace vexmar
