#pragma once

#include "model/math_object.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace vexmar {

/// What `current`, `selFirst` and `selLast` of an insertion point mean.
enum class SelectionMode : std::uint16_t {
  Object = 0,         ///< current selected as a whole; typing replaces it
  Range = 1,          ///< children selFirst..selLast of current (an infix object)
  Operator = 2,       ///< the operator of current after child selFirst (or a prefix symbol)
  After = 3,          ///< caret right of current
  Before = 4,         ///< caret left of current
  BetweenFactors = 5, ///< caret right of current, a factor of a `times` that is not its last
  Cells = 6,          ///< matrix cells selFirst..selLast (rectangle corners)
  Text = 7,           ///< caret inside a `string` before character selFirst
};

/// Point sizes indexed by sizeLevel (16.16 fixed point).
using SizeTable = std::array<Fixed, 6>;
[[nodiscard]] const SizeTable& defaultSizeTable();

/// One display line of a broken equation: its start offsets.
struct LineRecord {
  std::array<Fixed, 3> words{};
};

/// An equation line's editing cursor and layout state. Owns the line's tree.
struct InsertionPoint {
  InsertionPoint();
  ~InsertionPoint();
  InsertionPoint(const InsertionPoint&) = delete;
  InsertionPoint& operator=(const InsertionPoint&) = delete;

  ObjectPtr root;
  const std::uint64_t serial;        ///< unique per line for the life of the process
  MathObject* dirtyObject = nullptr; ///< where the next layout must start
  MathObject* dirtyRoot = nullptr;   ///< the root at the time of the last change
  MathObject* current = nullptr;
  std::uint8_t reserved = 0;
  std::uint8_t partialLayout = 0;
  std::uint16_t layoutValid = 0;
  SelectionMode mode = SelectionMode::Object;
  int selFirst = 0;
  int selLast = 0;
  int lineCount = 1;
  Fixed baselineOffset = 0;
  SizeTable sizeTable;
  std::int32_t layoutWord = 0;
  Fixed wrapWidth = 10000 << 16;
  std::array<std::int32_t, 4> breakWork{};
  std::vector<LineRecord> lineBreaks;

  /// Replaces the tree (destroying the old one); the caret selects the new root.
  void setRoot(ObjectPtr newRoot);
  /// Takes the tree out, leaving the record without one until setRoot.
  ObjectPtr takeRoot();

  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;
};

/// A new line: a single `prompt`, selected.
[[nodiscard]] std::unique_ptr<InsertionPoint> createLineState();

/// Makes `object` current with the requested mode and normalises: a caret never rests after a
/// sum or before a factorial, and a caret between two factors is mode 5 on the left one.
void setInsertionPoint(InsertionPoint& ip, MathObject& object, SelectionMode mode);
/// Re-applies the present current object and mode (after a rewrite).
void resetInsertionPoint(InsertionPoint& ip);
void selectWholeEquation(InsertionPoint& ip);
/// Selects the first `prompt` after current in pre-order, else the first of the tree.
/// Returns false (and changes nothing) when there is none.
bool selectNextPrompt(InsertionPoint& ip);

/// Records that the tree changed from `object` on so that the next layout measures again.
void markChanged(InsertionPoint& ip, MathObject& object);
void markChangedFromCurrent(InsertionPoint& ip);
void markChangedFromRoot(InsertionPoint& ip);
/// Marks from current's grandparent (or parent, or current when it has none).
void markChangedFromGrandparent(InsertionPoint& ip);

[[nodiscard]] bool hasSelection(const InsertionPoint& ip);
/// Modes 0, 1 and 6 with something other than a `prompt` current.
[[nodiscard]] bool selectionCanBeActedOn(const InsertionPoint* ip);

/// With a range selected (mode 1), moves children selFirst..selLast of current into a new node
/// of current's kind, which takes their place and becomes current in mode 0. A range of one
/// operand selects that operand, and a range of all of them current itself, without a new node.
void groupSelection(InsertionPoint& ip);

/// Puts `kind`(object) where `object` stood (the line's root included) and returns the wrapper.
MathObject* wrapObject(InsertionPoint& ip, MathObject& object, ObjectKind kind);
/// Puts `replacement` where `object` stood (the root included), destroying `object`.
MathObject* replaceSubtree(InsertionPoint& ip, MathObject& object, ObjectPtr replacement);

/// Child indices from the root down to `object`.
[[nodiscard]] std::vector<int> pathTo(const MathObject& object);
/// Follows a path of child indices from `root`; null when the path does not exist.
[[nodiscard]] MathObject* followPath(MathObject& root, const std::vector<int>& path);

// Placement by mouse, on boxes laid out by the typesetter (line coordinates, 16.16).
/// Character index in a `string` at x, found by the view from its font metrics.
using CharacterIndexAt = std::function<int(const MathObject& string, Fixed x)>;
/// The deepest object whose box contains the point, or null when the point is outside `root`.
[[nodiscard]] MathObject* objectAt(MathObject& root, Fixed x, Fixed y);
/// Places the caret for a click at (x, y) on `object`, the object under the point.
void placeByClick(InsertionPoint& ip, MathObject& object, Fixed x, Fixed y,
                  const CharacterIndexAt& characterIndexAt = {});
/// Selects what lies between a press point and the current point of a drag. A point beyond the
/// line counts as its nearest edge; a range of one operand reached from a gap is resolved inside
/// that operand, as deep as the points go.
void placeByDrag(InsertionPoint& ip, Fixed pressX, Fixed pressY, Fixed x, Fixed y);

} // namespace vexmar
