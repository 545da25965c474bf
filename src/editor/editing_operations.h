#pragma once

#include "editor/editor_command.h"
#include "model/insertion_point.h"

namespace vexmar {

// Building blocks of structural editing. Each leaves the caret placed and the line marked changed.

/// Opens a `prompt` slot of `kind` after the current object (appending to a current object of that
/// kind, inserting into a parent of that kind, or wrapping); the new `prompt` is selected.
MathObject* openSlotAfter(InsertionPoint& ip, ObjectKind kind);
/// The mirror of openSlotAfter; a factor is never put inside the base of a `power`.
MathObject* openSlotBefore(InsertionPoint& ip, ObjectKind kind);
/// What typing, pasting or a template at the caret works on: the selected object (a range grouped
/// first), or a new factor slot beside a caret; null in the other modes.
MathObject* caretOperand(InsertionPoint& ip);
/// Removes the operator between operands i and i + 1 of an infix object: operand i becomes a
/// leading factor of operand i + 1. Caret after the last factor of former operand i.
void joinOperands(InsertionPoint& ip, MathObject& object, int i);
/// Replaces a one-child object by its child; `object` then holds the former child's content.
void unwrapObject(MathObject& object);
/// Removes the selected operator (mode 2): a one-child prefix object is unwrapped, an infix
/// operator joins its two operands into a product.
void removeSelectedOperator(InsertionPoint& ip);
/// The current object becomes a selected `prompt`; inside a `times` the prompt is removed too.
void deleteSelection(InsertionPoint& ip);
/// Removes the current `prompt`'s slot from its parent where the parent allows it.
void removePrompt(InsertionPoint& ip);
/// Clear: cells become prompts, selected text is removed, a selection becomes a prompt.
void clearSelection(InsertionPoint& ip);
/// Typing into a `string`: with the caret after it (mode 3) or inside it (mode 7).
/// Returns false when the caret is not at a text.
bool typeIntoText(InsertionPoint& ip, char character);
/// Backslash: appends to a text the caret is after, or starts a new text object.
void startTextObject(InsertionPoint& ip);
/// Space after a `string`: a backslash name becomes its definition, special character or kind;
/// any other text is selected.
void commitText(InsertionPoint& ip);

/// Puts a new `kind` object with `count` children in the current object's place, the current
/// object in child `slot` and prompts elsewhere, and places the caret for the kind.
MathObject* wrapSelection(InsertionPoint& ip, ObjectKind kind, int count, int slot);
/// With the caret between two factors, splits the product there into kind(left, right); the
/// caret goes before the right operand. Returns the new object, or null when not between factors.
MathObject* splitProduct(InsertionPoint& ip, ObjectKind kind);
/// Backspace, by mode.
void deleteBackward(InsertionPoint& ip);

} // namespace vexmar
