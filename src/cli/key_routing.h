#pragma once

#include "cli/key_stroke.h"

#include <optional>

namespace vexmar {

/// What a main-window accelerator does.
enum class AcceleratorAction {
  Undo,
  Redo,
  EditorCommand, ///< dispatch the row's code
  SelectAll,
  NewEquation,
  ResetGraph,
  DrawGraph,
};

struct Accelerator {
  int key;       ///< upper-case letter, digit or character; 0 for Enter
  int modifiers; ///< KeyModifier bits
  AcceleratorAction action;
  EditorCommand code;
};

/// The accelerator that a key press triggers, if any.
[[nodiscard]] std::optional<Accelerator> findAccelerator(const KeyStroke& stroke);

/// What routing a key did that the caller must finish (the window moves lines, graphs...).
enum class RoutedKey { Ignored, Edited, Undone, Redone, LineMove, NewEquation, ResetGraph, DrawGraph };

/// Routes a key press as the main window does for the equation view: accelerators first, then
/// the view's key-down handling, then key translation and the dispatcher.
RoutedKey routeKeyStroke(const KeyStroke& stroke);

} // namespace vexmar
