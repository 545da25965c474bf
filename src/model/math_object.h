#pragma once

#include "model/number_record.h"
#include "model/object_kind.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vexmar {

struct MathObject;
/// The single owner of a tree or subtree.
using ObjectPtr = std::unique_ptr<MathObject>;
/// Fixed-point device pixels with 16 fraction bits, held in 64 bits so that the positions along a
/// line thousands of terms long stay exact.
using Fixed = std::int64_t;

/// Bits of the decoration word of `char` and `dummy` objects.
namespace Decoration {
inline constexpr std::uint32_t kAccentMask = 0x3; ///< 1 vector arrow, 2 hat, 3 tilde
inline constexpr std::uint32_t kDotsShift = 2;    ///< 0..3 dots above
inline constexpr std::uint32_t kDotsMask = 0x3u << kDotsShift;
inline constexpr std::uint32_t kPrimesShift = 4; ///< 0..3 primes
inline constexpr std::uint32_t kPrimesMask = 0x3u << kPrimesShift;
inline constexpr std::uint32_t kBar = 1u << 6;      ///< bar above
inline constexpr std::uint32_t kMarkBelowShift = 7; ///< 1 tilde below, 2 underline
inline constexpr std::uint32_t kMarkBelowMask = 0x3u << kMarkBelowShift;
inline constexpr std::uint32_t kAccentArrow = 1, kAccentHat = 2, kAccentTilde = 3;
} // namespace Decoration

/// One node of an expression tree. A parent owns its children; a root is owned by whoever
/// holds it (an equation line, the undo snapshot, the edit clipboard, a rule list).
struct MathObject {
  explicit MathObject(ObjectKind objectKind) : kind(objectKind) {}
  ~MathObject(); // iterative: deep trees must not exhaust the stack
  MathObject(const MathObject&) = delete;
  MathObject& operator=(const MathObject&) = delete;

  std::vector<ObjectPtr> children;      ///< slots may be empty only while a caller fills them
  std::string text;                     ///< the text of a `string` object
  std::unique_ptr<NumberRecord> number; ///< the record of a `num` object
  MathObject* parent = nullptr;
  std::uint32_t decoration = 0;
  /// char/dummy: character code; matrix: rows (low 16) and columns (high 16); indexes: counts A
  /// (low) and B (high); tensor, chem: flag bits; big operators: glyph offset y.
  std::int32_t payloadA = 0;
  std::int32_t payloadB = 0; ///< big operators: glyph offset x
  int indexInParent = 0;
  ObjectKind kind;

  // Layout, written by the typesetter.
  Fixed relY = 0, relX = 0;
  Fixed bottom = 0, left = 0;
  Fixed descent = 0, ascent = 0, width = 0;
  // Adjustments made by the user, kept with the object.
  Fixed shiftX = 0, shiftY = 0;
  Fixed padAscent = 0, padTop = 0, padLeft = 0, padRight = 0;
  std::uint8_t textBox = 0;
  std::uint8_t sizeLevel = 0;
  std::uint8_t overflow = 0;
  /// [0] operand of a removed upbrace; [1] keeps fraction stacked / limits at side / matrix
  /// without brackets / sn exponent at parent size; [2] face byte; [3] second face byte.
  std::array<std::uint8_t, 4> style{};
  std::uint8_t spare = 0;
  std::uint8_t horizontalAlignment = 0; ///< 0 centred, 1 left, 2 right (3 and 4 stored too)
  std::uint8_t verticalAlignment = 0;   ///< 0 baseline, 1 top, 2 bottom
  std::uint8_t fifthOption = 0;
  std::uint8_t uniformRows = 0;
  std::uint8_t uniformColumns = 0;
  std::uint16_t tag = 0;
  Fixed fontSize = 0; ///< 0: the size given by sizeLevel

  [[nodiscard]] int childCount() const { return static_cast<int>(children.size()); }
  [[nodiscard]] MathObject* child(int i) const { return children[static_cast<std::size_t>(i)].get(); }
  [[nodiscard]] MathObject* firstChild() const { return children.empty() ? nullptr : children.front().get(); }
  [[nodiscard]] MathObject* lastChild() const { return children.empty() ? nullptr : children.back().get(); }
  [[nodiscard]] bool is(ObjectKind k) const { return kind == k; }
  [[nodiscard]] KindShape shape() const { return kindShape(kind); }
  [[nodiscard]] std::uint16_t characterCode() const { return static_cast<std::uint16_t>(payloadA & 0xFFFF); }
  [[nodiscard]] bool isLastChild() const { return parent && indexInParent == parent->childCount() - 1; }
  [[nodiscard]] int matrixRows() const { return static_cast<std::int16_t>(payloadA & 0xFFFF); }
  [[nodiscard]] int matrixColumns() const { return static_cast<std::int16_t>((payloadA >> 16) & 0xFFFF); }
  void setMatrixSize(int rows, int columns);
  /// `indexes`: how many indices the first (lower) and the second (upper) group hold.
  [[nodiscard]] int lowerIndexCount() const { return payloadA & 0xFFFF; }
  [[nodiscard]] int upperIndexCount() const { return (payloadA >> 16) & 0xFFFF; }
  void setIndexCounts(int lower, int upper);

  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;
};

/// The child at `index`, or null when the node has no such child.
[[nodiscard]] inline MathObject* optionalChild(const MathObject& node, int index) {
  return index >= 0 && index < node.childCount() ? node.child(index) : nullptr;
}

/// The bits of a `chem` object's payloadA that say which index slots it has, in the order of its
/// children after the base: left lower, left upper, right lower, right upper.
inline constexpr std::array<int, 4> kChemSlotBits = {2, 3, 0, 1};

/// Nodes in use and free node slots (the low-memory gate compares subtree sizes with the latter).
[[nodiscard]] std::size_t objectsInUse();
[[nodiscard]] std::size_t objectsFree();

// Creation. Every new node has no parent, index 0, zero layout and zero decoration.
[[nodiscard]] ObjectPtr makeObject(ObjectKind kind, int slotCount = 0);
[[nodiscard]] ObjectPtr makeObject(ObjectKind kind, ObjectPtr a);
[[nodiscard]] ObjectPtr makeObject(ObjectKind kind, ObjectPtr a, ObjectPtr b);
[[nodiscard]] ObjectPtr makeObject(ObjectKind kind, ObjectPtr a, ObjectPtr b, ObjectPtr c);
/// Makes a node of the kind in the empty slot `index` of `parent`.
MathObject* makeChild(MathObject& parent, int index, ObjectKind kind, int slotCount = 0);
MathObject* makePromptChild(MathObject& parent, int index);
[[nodiscard]] ObjectPtr makePrompt();
/// A `num` with a cleared record holding the value.
[[nodiscard]] ObjectPtr makeNumber(double value);
[[nodiscard]] ObjectPtr makeNumber(double value, std::string_view displayText);
/// A `num` whose value is given as the low and high 32-bit halves of a double.
[[nodiscard]] ObjectPtr makeNumberFromHalves(std::uint32_t low, std::uint32_t high);
[[nodiscard]] ObjectPtr makeChar(std::uint16_t code);
[[nodiscard]] ObjectPtr makeDummy(std::uint16_t code);
[[nodiscard]] ObjectPtr makeString(std::string_view text);

// Structure.
/// Thrown where an object would get more than kMaxChildren children: the text form holds no
/// such object, so copy, paste and saving would fail on it. The command that met it catches it
/// and puts back what was there.
class TooManyChildren : public std::length_error {
public:
  TooManyChildren() : std::length_error("an object would have more than 10000 children") {}
};

/// Puts `child` into slot `index` (which must exist), linking its parent and index.
MathObject* setChild(MathObject& parent, int index, ObjectPtr child);
/// Resizes the children array; the first min(old, n) children stay, new slots are empty.
/// Above kMaxChildren it throws TooManyChildren, as do the insertions and makeObject.
void setChildCount(MathObject& node, int count);
/// Inserts a child at `index`, renumbering the later ones.
MathObject* insertChild(MathObject& node, int index, ObjectPtr child);
MathObject* appendChild(MathObject& node, ObjectPtr child);
/// Takes child i out of the node, renumbering the later children; returns it.
ObjectPtr removeChild(MathObject& node, int index);
/// Removes child i; when the node had exactly two children the node is replaced in place by
/// the other one (its parent link and index stay). Returns the removed child.
ObjectPtr removeChildCollapse(MathObject& node, int index);
/// Replaces child i by that child's own children. Refused (false, tree unchanged) when the node
/// would then have more than kMaxChildren children.
bool flattenChild(MathObject& node, int index);
inline constexpr int kMaxChildren = 10000;
/// Moves source's kind, contents, children and style into `target`, which keeps its place in its
/// parent; target's remaining children are destroyed and source's record is freed. Source must be
/// detached (take it out of target first when collapsing a node onto one of its operands).
void replaceObject(ObjectPtr source, MathObject& target);
/// Detaches `object` from its parent (or owner) and returns ownership: helper for rewrites.
ObjectPtr detach(MathObject& object);

// Copying.
/// Deep copy without layout fields or user adjustments.
[[nodiscard]] ObjectPtr cloneTree(const MathObject& node);
/// Deep copy that also keeps shifts, paddings, the spare byte and the uniform flags.
[[nodiscard]] ObjectPtr copyTree(const MathObject& node);
/// Copies children first..last into a new node of `node`'s kind.
[[nodiscard]] ObjectPtr copyRange(const MathObject& node, int first, int last);
/// Number of nodes in a subtree.
[[nodiscard]] std::size_t countObjects(const MathObject& node);

// Traversal.
[[nodiscard]] MathObject* firstLeaf(MathObject& node);
[[nodiscard]] MathObject* lastLeaf(MathObject& node);
/// Next node in pre-order within `root`'s subtree, or null after its last node.
[[nodiscard]] MathObject* nextPreorder(const MathObject& node, const MathObject& root);
[[nodiscard]] const MathObject* nextPreorder(const MathObject* node, const MathObject& root);
/// True when `ancestor` is `node` or one of its ancestors.
[[nodiscard]] bool isAncestorOrSelf(const MathObject& ancestor, const MathObject& node);
[[nodiscard]] MathObject& rootOf(MathObject& node);

/// True when some letter (`char`) of t has the code.
[[nodiscard]] bool dependsOnVariable(const MathObject& t, std::uint16_t code);
/// Sets every letter `from` of t to `to`, in place.
void renameVariable(MathObject& t, std::uint16_t from, std::uint16_t to);

/// Structural equality: kinds and child counts node by node, `num` values as doubles,
/// character codes with the low 16 decoration bits, and string texts.
[[nodiscard]] bool treeEqual(const MathObject& a, const MathObject& b);

} // namespace vexmar
