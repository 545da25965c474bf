#include "model/math_object.h"

#include "model/fixed_block_pool.h"
#include "model/work_budget.h"

#include <bit>
#include <cassert>
#include <cmath>
#include <utility>

namespace vexmar {
namespace {

FixedBlockPool& objectPool() {
  // Never destroyed: trees held by process-wide state may outlive any static destructor order.
  static auto* pool = new FixedBlockPool(sizeof(MathObject), 10, 500);
  return *pool;
}

void relink(MathObject& parent, int from) {
  for (int i = from; i < parent.childCount(); ++i) {
    if (MathObject* c = parent.child(i)) {
      c->parent = &parent;
      c->indexInParent = i;
    }
  }
}

enum class CopyDepth { Clone, Full };

ObjectPtr copyNode(const MathObject& from, CopyDepth depth) {
  auto to = std::make_unique<MathObject>(from.kind);
  to->decoration = from.decoration;
  to->sizeLevel = from.sizeLevel;
  to->overflow = from.overflow;
  to->payloadA = from.payloadA;
  to->payloadB = from.payloadB;
  to->style = from.style;
  to->horizontalAlignment = from.horizontalAlignment;
  to->verticalAlignment = from.verticalAlignment;
  to->fifthOption = from.fifthOption;
  to->tag = from.tag;
  to->fontSize = from.fontSize;
  to->text = from.text;
  if (from.number) to->number = std::make_unique<NumberRecord>(*from.number);
  if (depth == CopyDepth::Full) {
    to->shiftX = from.shiftX;
    to->shiftY = from.shiftY;
    to->padAscent = from.padAscent;
    to->padTop = from.padTop;
    to->padLeft = from.padLeft;
    to->padRight = from.padRight;
    to->spare = from.spare;
    to->uniformRows = from.uniformRows;
    to->uniformColumns = from.uniformColumns;
  }
  to->children.resize(from.children.size());
  return to;
}

// Pre-order copy with an explicit stack, so that depth costs heap, not stack.
ObjectPtr copyWhole(const MathObject& source, CopyDepth depth) {
  ObjectPtr root = copyNode(source, depth);
  struct Pending {
    const MathObject* from;
    MathObject* to;
  };
  std::vector<Pending> stack{{&source, root.get()}};
  while (!stack.empty()) {
    Pending p = stack.back();
    stack.pop_back();
    for (int i = p.from->childCount(); i-- > 0;) {
      const MathObject* c = p.from->child(i);
      if (!c) continue;
      MathObject* copy = setChild(*p.to, i, copyNode(*c, depth));
      stack.push_back({c, copy});
    }
  }
  return root;
}

bool nodeEqual(const MathObject& a, const MathObject& b) {
  if (a.kind != b.kind || a.childCount() != b.childCount()) return false;
  switch (a.kind) {
  case ObjectKind::num:
    // Two "not a number" values are the same number: a tree holding one must equal its copy.
    return a.number && b.number &&
           (a.number->value == b.number->value ||
            (std::isnan(a.number->value) && std::isnan(b.number->value)));
  case ObjectKind::char_:
  case ObjectKind::dummy:
    return a.characterCode() == b.characterCode() && (a.decoration & 0xFFFF) == (b.decoration & 0xFFFF);
  case ObjectKind::string:
    return a.text == b.text;
  default:
    return true;
  }
}

} // namespace

MathObject::~MathObject() {
  if (children.empty()) return;
  std::vector<ObjectPtr> pending = std::move(children);
  while (!pending.empty()) {
    ObjectPtr node = std::move(pending.back());
    pending.pop_back();
    if (!node) continue;
    for (ObjectPtr& c : node->children) pending.push_back(std::move(c));
    node->children.clear();
  } // each node dies here with no children left, so destruction never recurses
}

void* MathObject::operator new(std::size_t size) {
  assert(size == sizeof(MathObject));
  (void)size;
  chargeNewObject();
  return objectPool().allocate();
}

void MathObject::operator delete(void* block) noexcept { objectPool().release(block); }

void MathObject::setMatrixSize(int rows, int columns) {
  payloadA = static_cast<std::int32_t>((static_cast<std::uint32_t>(columns & 0xFFFF) << 16) |
                                       static_cast<std::uint32_t>(rows & 0xFFFF));
}

// The same two 16-bit halves as a matrix's rows and columns.
void MathObject::setIndexCounts(int lower, int upper) { setMatrixSize(lower, upper); }

std::size_t objectsInUse() { return objectPool().inUse(); }
std::size_t objectsFree() { return objectPool().freeCount(); }

ObjectPtr makeObject(ObjectKind kind, int slotCount) {
  if (slotCount > kMaxChildren) throw TooManyChildren();
  auto node = std::make_unique<MathObject>(kind);
  if (slotCount > 0) node->children.resize(static_cast<std::size_t>(slotCount));
  return node;
}

ObjectPtr makeObject(ObjectKind kind, ObjectPtr a) {
  ObjectPtr node = makeObject(kind, 1);
  setChild(*node, 0, std::move(a));
  return node;
}

ObjectPtr makeObject(ObjectKind kind, ObjectPtr a, ObjectPtr b) {
  ObjectPtr node = makeObject(kind, 2);
  setChild(*node, 0, std::move(a));
  setChild(*node, 1, std::move(b));
  return node;
}

ObjectPtr makeObject(ObjectKind kind, ObjectPtr a, ObjectPtr b, ObjectPtr c) {
  ObjectPtr node = makeObject(kind, 3);
  setChild(*node, 0, std::move(a));
  setChild(*node, 1, std::move(b));
  setChild(*node, 2, std::move(c));
  return node;
}

MathObject* makeChild(MathObject& parent, int index, ObjectKind kind, int slotCount) {
  return setChild(parent, index, makeObject(kind, slotCount));
}

MathObject* makePromptChild(MathObject& parent, int index) {
  return makeChild(parent, index, ObjectKind::prompt);
}

ObjectPtr makePrompt() { return makeObject(ObjectKind::prompt); }

ObjectPtr makeNumber(double value) {
  ObjectPtr node = makeObject(ObjectKind::num);
  node->number = std::make_unique<NumberRecord>();
  node->number->value = value;
  return node;
}

ObjectPtr makeNumber(double value, std::string_view displayText) {
  ObjectPtr node = makeNumber(value);
  node->number->setDisplayText(displayText);
  return node;
}

ObjectPtr makeNumberFromHalves(std::uint32_t low, std::uint32_t high) {
  const std::uint64_t bits = (static_cast<std::uint64_t>(high) << 32) | low;
  return makeNumber(std::bit_cast<double>(bits));
}

ObjectPtr makeChar(std::uint16_t code) {
  ObjectPtr node = makeObject(ObjectKind::char_);
  node->payloadA = code;
  return node;
}

ObjectPtr makeDummy(std::uint16_t code) {
  ObjectPtr node = makeObject(ObjectKind::dummy);
  node->payloadA = code;
  return node;
}

ObjectPtr makeString(std::string_view text) {
  ObjectPtr node = makeObject(ObjectKind::string);
  node->text = text;
  return node;
}

MathObject* setChild(MathObject& parent, int index, ObjectPtr child) {
  assert(index >= 0 && index < parent.childCount());
  MathObject* raw = child.get();
  if (raw) {
    raw->parent = &parent;
    raw->indexInParent = index;
  }
  parent.children[static_cast<std::size_t>(index)] = std::move(child);
  return raw;
}

void setChildCount(MathObject& node, int count) {
  if (count <= 0) {
    std::vector<ObjectPtr> released = std::move(node.children);
    node.children.clear();
    return;
  }
  if (count > kMaxChildren) throw TooManyChildren();
  node.children.resize(static_cast<std::size_t>(count));
}

MathObject* insertChild(MathObject& node, int index, ObjectPtr child) {
  assert(index >= 0 && index <= node.childCount());
  if (node.childCount() >= kMaxChildren) throw TooManyChildren();
  MathObject* raw = child.get();
  node.children.insert(node.children.begin() + index, std::move(child));
  relink(node, index);
  return raw;
}

MathObject* appendChild(MathObject& node, ObjectPtr child) {
  return insertChild(node, node.childCount(), std::move(child));
}

ObjectPtr removeChild(MathObject& node, int index) {
  assert(index >= 0 && index < node.childCount());
  ObjectPtr removed = std::move(node.children[static_cast<std::size_t>(index)]);
  node.children.erase(node.children.begin() + index);
  relink(node, index);
  if (removed) {
    removed->parent = nullptr;
    removed->indexInParent = 0;
  }
  return removed;
}

ObjectPtr removeChildCollapse(MathObject& node, int index) {
  if (node.childCount() != 2) return removeChild(node, index);
  ObjectPtr removed = removeChild(node, index);
  ObjectPtr other = removeChild(node, 0);
  replaceObject(std::move(other), node);
  return removed;
}

bool flattenChild(MathObject& node, int index) {
  MathObject* inner = node.child(index);
  if (!inner) return false;
  if (node.childCount() - 1 + inner->childCount() > kMaxChildren) return false;
  ObjectPtr taken = std::move(node.children[static_cast<std::size_t>(index)]);
  node.children.erase(node.children.begin() + index);
  std::vector<ObjectPtr> moved = std::move(taken->children);
  taken->children.clear();
  node.children.insert(node.children.begin() + index, std::make_move_iterator(moved.begin()),
                       std::make_move_iterator(moved.end()));
  relink(node, index);
  return true;
}

ObjectPtr detach(MathObject& object) {
  MathObject* parent = object.parent;
  assert(parent && "a root is detached by its owner");
  return removeChild(*parent, object.indexInParent);
}

void replaceObject(ObjectPtr source, MathObject& target) {
  assert(source && source.get() != &target);
  assert(source->parent == nullptr && "the caller owns source, detached from any parent");
  std::vector<ObjectPtr> released = std::move(target.children);
  target.kind = source->kind;
  target.decoration = source->decoration;
  target.sizeLevel = source->sizeLevel;
  target.payloadA = source->payloadA;
  target.payloadB = source->payloadB;
  target.children = std::move(source->children);
  source->children.clear();
  target.text = std::move(source->text);
  target.number = std::move(source->number);
  target.style = source->style;
  target.tag = source->tag;
  target.fontSize = source->fontSize;
  relink(target, 0);
  // Target's old children, if any were left, are destroyed with `released`.
}

std::size_t countObjects(const MathObject& node) {
  std::size_t count = 0;
  for (const MathObject* n = &node; n; n = nextPreorder(n, node)) ++count;
  return count;
}

ObjectPtr cloneTree(const MathObject& node) { return copyWhole(node, CopyDepth::Clone); }

ObjectPtr copyTree(const MathObject& node) { return copyWhole(node, CopyDepth::Full); }

ObjectPtr copyRange(const MathObject& node, int first, int last) {
  assert(first >= 0 && first <= last && last < node.childCount());
  ObjectPtr group = makeObject(node.kind, last - first + 1);
  for (int i = first; i <= last; ++i)
    if (const MathObject* c = node.child(i)) setChild(*group, i - first, cloneTree(*c));
  return group;
}

MathObject* firstLeaf(MathObject& node) {
  MathObject* n = &node;
  while (n->firstChild()) n = n->firstChild();
  return n;
}

MathObject* lastLeaf(MathObject& node) {
  MathObject* n = &node;
  while (n->lastChild()) n = n->lastChild();
  return n;
}

const MathObject* nextPreorder(const MathObject* node, const MathObject& root) {
  for (const ObjectPtr& c : node->children)
    if (c) return c.get();
  const MathObject* n = node;
  while (n != &root && n->parent) {
    const MathObject* p = n->parent;
    for (int i = n->indexInParent + 1; i < p->childCount(); ++i)
      if (p->child(i)) return p->child(i);
    n = p;
  }
  return nullptr;
}

MathObject* nextPreorder(const MathObject& node, const MathObject& root) {
  return const_cast<MathObject*>(nextPreorder(&node, root));
}

bool isAncestorOrSelf(const MathObject& ancestor, const MathObject& node) {
  for (const MathObject* n = &node; n; n = n->parent)
    if (n == &ancestor) return true;
  return false;
}

MathObject& rootOf(MathObject& node) {
  MathObject* n = &node;
  while (n->parent) n = n->parent;
  return *n;
}

bool dependsOnVariable(const MathObject& t, std::uint16_t code) {
  for (const MathObject* n = &t; n; n = nextPreorder(n, t))
    if (n->kind == ObjectKind::char_ && n->characterCode() == code) return true;
  return false;
}

void renameVariable(MathObject& t, std::uint16_t from, std::uint16_t to) {
  for (MathObject* n = &t; n; n = nextPreorder(*n, t))
    if (n->kind == ObjectKind::char_ && n->characterCode() == from)
      n->payloadA = static_cast<std::int32_t>((static_cast<std::uint32_t>(n->payloadA) & 0xFFFF0000u) | to);
}

bool treeEqual(const MathObject& a, const MathObject& b) {
  // Both walks advance in step; equal shapes so far keep them aligned.
  const MathObject* x = &a;
  const MathObject* y = &b;
  while (x && y) {
    if (!nodeEqual(*x, *y)) return false;
    for (int i = 0; i < x->childCount(); ++i)
      if ((x->child(i) == nullptr) != (y->child(i) == nullptr)) return false;
    x = nextPreorder(x, a);
    y = nextPreorder(y, b);
  }
  return x == nullptr && y == nullptr;
}

} // namespace vexmar
