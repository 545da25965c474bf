#include "model/insertion_point.h"

#include "model/fixed_block_pool.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace vexmar {
namespace {

FixedBlockPool& insertionPointPool() {
  static auto* pool = new FixedBlockPool(sizeof(InsertionPoint), 10, 50);
  return *pool;
}

bool isTimes(const MathObject* o) { return o && o->kind == ObjectKind::times; }

std::uint64_t nextSerial() {
  static std::uint64_t counter = 0;
  return ++counter;
}

Fixed boxTop(const MathObject& o) { return o.bottom - o.descent - o.ascent; }

bool boxContains(const MathObject& o, Fixed x, Fixed y) {
  return x >= o.left && x < o.left + o.width && y >= boxTop(o) && y < o.bottom;
}

// The operand of `container` that the point falls in or, in a gap, the one to its left
// (-1 left of the first operand). `inGap` tells whether the point lies between operand boxes.
int operandAt(const MathObject& container, Fixed x, bool& inGap) {
  int index = -1;
  inGap = true;
  for (int i = 0; i < container.childCount(); ++i) {
    const MathObject* c = container.child(i);
    if (!c) continue;
    if (x < c->left) break;
    index = i;
    inGap = x >= c->left + c->width;
  }
  return index;
}

// The child of `ancestor` on the path down to `node` (node itself when it is a child).
const MathObject* childOnPath(const MathObject& ancestor, const MathObject* node) {
  while (node && node->parent != &ancestor) node = node->parent;
  return node;
}

MathObject* commonAncestor(MathObject* a, MathObject* b) {
  for (MathObject* x = a; x; x = x->parent)
    if (isAncestorOrSelf(*x, *b)) return x;
  return nullptr;
}

int defaultCharacterIndex(const MathObject& string, Fixed x) {
  const int length = static_cast<int>(string.text.size());
  if (length == 0 || string.width <= 0) return 0;
  const double perCharacter = static_cast<double>(string.width) / length;
  return static_cast<int>(std::lround((x - string.left) / perCharacter));
}

} // namespace

const SizeTable& defaultSizeTable() {
  static const SizeTable table = {24 << 16, 24 << 16, 18 << 16, 12 << 16, 9 << 16, 9 << 16};
  return table;
}

InsertionPoint::InsertionPoint() : serial(nextSerial()), sizeTable(defaultSizeTable()) {}
InsertionPoint::~InsertionPoint() = default;

void* InsertionPoint::operator new(std::size_t size) {
  assert(size == sizeof(InsertionPoint));
  (void)size;
  return insertionPointPool().allocate();
}

void InsertionPoint::operator delete(void* block) noexcept { insertionPointPool().release(block); }

void InsertionPoint::setRoot(ObjectPtr newRoot) {
  root = std::move(newRoot);
  if (root) {
    root->parent = nullptr;
    root->indexInParent = -1;
  }
  current = dirtyObject = dirtyRoot = root.get();
  mode = SelectionMode::Object;
  layoutValid = 0;
}

ObjectPtr InsertionPoint::takeRoot() {
  current = dirtyObject = dirtyRoot = nullptr;
  return std::move(root);
}

std::unique_ptr<InsertionPoint> createLineState() {
  auto ip = std::make_unique<InsertionPoint>();
  ip->setRoot(makePrompt());
  return ip;
}

void setInsertionPoint(InsertionPoint& ip, MathObject& object, SelectionMode requested) {
  MathObject* obj = &object;
  SelectionMode mode = requested;
  for (;;) {
    ip.current = obj;
    if (obj->kind == ObjectKind::prompt) {
      mode = SelectionMode::Object;
    } else if (isTimes(obj->parent)) {
      const bool first = obj->indexInParent == 0;
      const bool last = obj->isLastChild();
      if (mode == SelectionMode::Before && !first) {
        ip.current = obj = obj->parent->child(obj->indexInParent - 1);
        // A caret right of a prompt factor selects the prompt.
        mode = obj->kind == ObjectKind::prompt ? SelectionMode::Object : SelectionMode::BetweenFactors;
      } else if (mode == SelectionMode::After && !last) {
        mode = SelectionMode::BetweenFactors;
      } else if (mode == SelectionMode::BetweenFactors) {
        mode = last ? SelectionMode::After : SelectionMode::BetweenFactors;
      }
    } else if (mode == SelectionMode::BetweenFactors) {
      mode = SelectionMode::After;
    }
    const KindShape shape = obj->shape();
    if (mode == SelectionMode::After && (shape == KindShape::Infix || shape == KindShape::Prefix) &&
        obj->kind != ObjectKind::sqrt && obj->lastChild()) {
      obj = obj->lastChild();
      continue;
    }
    if (mode == SelectionMode::Before && (shape == KindShape::Infix || shape == KindShape::Postfix) &&
        obj->firstChild()) {
      obj = obj->firstChild();
      continue;
    }
    break;
  }
  ip.mode = mode;
}

void resetInsertionPoint(InsertionPoint& ip) {
  if (ip.current) setInsertionPoint(ip, *ip.current, ip.mode);
}

void selectWholeEquation(InsertionPoint& ip) {
  ip.current = ip.root.get();
  ip.mode = SelectionMode::Object;
}

bool selectNextPrompt(InsertionPoint& ip) {
  if (!ip.root) return false;
  MathObject* found = nullptr;
  if (ip.current)
    for (MathObject* n = nextPreorder(*ip.current, *ip.root); n && !found; n = nextPreorder(*n, *ip.root))
      if (n->kind == ObjectKind::prompt) found = n;
  for (MathObject* n = ip.root.get(); n && !found; n = nextPreorder(*n, *ip.root))
    if (n->kind == ObjectKind::prompt) found = n;
  if (!found) return false;
  ip.current = found;
  ip.mode = SelectionMode::Object;
  return true;
}

void markChanged(InsertionPoint& ip, MathObject& object) {
  ip.dirtyObject = ip.partialLayout ? &object : ip.root.get();
  ip.dirtyRoot = ip.root.get();
  ip.layoutValid = 0;
  if (ip.root) {
    ip.root->descent = 0;
    ip.root->ascent = 0;
    ip.root->width = 0;
  }
}

void markChangedFromCurrent(InsertionPoint& ip) {
  if (ip.current) markChanged(ip, *ip.current);
}

void markChangedFromRoot(InsertionPoint& ip) {
  if (ip.root) markChanged(ip, *ip.root);
}

void markChangedFromGrandparent(InsertionPoint& ip) {
  MathObject* from = ip.current;
  if (!from) return;
  if (from->parent) from = from->parent->parent ? from->parent->parent : from->parent;
  markChanged(ip, *from);
}

bool hasSelection(const InsertionPoint& ip) {
  if (!ip.current || ip.current->kind == ObjectKind::prompt) return false;
  switch (ip.mode) {
  case SelectionMode::Object:
  case SelectionMode::Range:
  case SelectionMode::Operator:
  case SelectionMode::Cells:
  case SelectionMode::Text:
    return true;
  default:
    return false;
  }
}

bool selectionCanBeActedOn(const InsertionPoint* ip) {
  if (!ip || !ip->current || ip->current->kind == ObjectKind::prompt) return false;
  return ip->mode == SelectionMode::Object || ip->mode == SelectionMode::Range ||
         ip->mode == SelectionMode::Cells;
}

void groupSelection(InsertionPoint& ip) {
  if (ip.mode != SelectionMode::Range || !ip.current || ip.current->childCount() == 0) return;
  MathObject& container = *ip.current;
  const int first = std::clamp(ip.selFirst, 0, container.childCount() - 1);
  const int last = std::clamp(ip.selLast, first, container.childCount() - 1);
  // Grouping one operand, or all of them, would make a node of a single operand: one side of an
  // equation would become an equation of its own. The operand, or the object, is selected instead.
  if (first == last && container.child(first)) {
    setInsertionPoint(ip, *container.child(first), SelectionMode::Object);
    return;
  }
  if (first == 0 && last == container.childCount() - 1) {
    setInsertionPoint(ip, container, SelectionMode::Object);
    return;
  }
  ObjectPtr group = makeObject(container.kind, last - first + 1);
  for (int i = last; i >= first; --i) setChild(*group, i - first, removeChild(container, i));
  MathObject* grouped = insertChild(container, first, std::move(group));
  ip.current = grouped;
  ip.mode = SelectionMode::Object;
}

MathObject* wrapObject(InsertionPoint& ip, MathObject& object, ObjectKind kind) {
  if (MathObject* parent = object.parent) {
    const int index = object.indexInParent;
    ObjectPtr taken = removeChild(*parent, index);
    return insertChild(*parent, index, makeObject(kind, std::move(taken)));
  }
  assert(&object == ip.root.get());
  ip.root = makeObject(kind, std::move(ip.root));
  ip.root->indexInParent = -1;
  ip.dirtyRoot = ip.root.get();
  return ip.root.get();
}

MathObject* replaceSubtree(InsertionPoint& ip, MathObject& object, ObjectPtr replacement) {
  MathObject* raw = replacement.get();
  if (MathObject* parent = object.parent) {
    setChild(*parent, object.indexInParent, std::move(replacement));
    return raw;
  }
  assert(&object == ip.root.get());
  ip.root = std::move(replacement);
  ip.root->parent = nullptr;
  ip.root->indexInParent = -1;
  ip.dirtyRoot = ip.root.get();
  return raw;
}

std::vector<int> pathTo(const MathObject& object) {
  std::vector<int> path;
  for (const MathObject* n = &object; n->parent; n = n->parent) path.push_back(n->indexInParent);
  std::reverse(path.begin(), path.end());
  return path;
}

MathObject* followPath(MathObject& root, const std::vector<int>& path) {
  MathObject* n = &root;
  for (int index : path) {
    if (index < 0 || index >= n->childCount() || !n->child(index)) return nullptr;
    n = n->child(index);
  }
  return n;
}

MathObject* objectAt(MathObject& root, Fixed x, Fixed y) {
  if (!boxContains(root, x, y)) return nullptr;
  MathObject* n = &root;
  for (bool descended = true; descended;) {
    descended = false;
    for (const ObjectPtr& c : n->children) {
      if (c && boxContains(*c, x, y)) {
        n = c.get();
        descended = true;
        break;
      }
    }
  }
  return n;
}

void placeByClick(InsertionPoint& ip, MathObject& object, Fixed x, Fixed y,
                  const CharacterIndexAt& characterIndexAt) {
  (void)y;
  if (object.kind == ObjectKind::prompt) {
    setInsertionPoint(ip, object, SelectionMode::Object);
    return;
  }
  if (object.kind == ObjectKind::string && object.text.size() > 1) {
    const int length = static_cast<int>(object.text.size());
    const int index = std::clamp(
        characterIndexAt ? characterIndexAt(object, x) : defaultCharacterIndex(object, x), 0, length);
    if (index == 0) {
      setInsertionPoint(ip, object, SelectionMode::Before);
    } else if (index == length) {
      setInsertionPoint(ip, object, SelectionMode::After);
    } else {
      setInsertionPoint(ip, object, SelectionMode::Text);
      ip.selFirst = ip.selLast = index;
    }
    return;
  }
  SelectionMode mode = SelectionMode::After;
  if (x <= object.left + object.width / 2) {
    mode = SelectionMode::Before;
  } else if (isFunctionLike(object.kind) && object.childCount() == 1 && object.firstChild()) {
    mode = x >= object.firstChild()->left ? SelectionMode::After : SelectionMode::Before;
  }
  setInsertionPoint(ip, object, mode);
}

namespace {

// `value` moved inside [low, low + extent), the half-open span of a box.
Fixed clampInto(Fixed value, Fixed low, Fixed extent) {
  return std::clamp(value, low, low + std::max<Fixed>(extent - 1, 0));
}

// Selects what a drag between two points covers inside `scope`, whose box holds both points.
void dragWithin(InsertionPoint& ip, MathObject& scope, Fixed pressX, Fixed pressY, Fixed x, Fixed y) {
  MathObject* pressed = objectAt(scope, pressX, pressY);
  MathObject* here = objectAt(scope, x, y);
  if (!pressed || !here) return;
  MathObject* container = commonAncestor(pressed, here);
  if (!container) return;

  if (container->kind == ObjectKind::matrix && container->matrixColumns() > 0) {
    const MathObject* a = childOnPath(*container, pressed);
    const MathObject* b = childOnPath(*container, here);
    if (a && b) {
      const int columns = container->matrixColumns();
      const int rowA = a->indexInParent / columns, colA = a->indexInParent % columns;
      const int rowB = b->indexInParent / columns, colB = b->indexInParent % columns;
      ip.current = container;
      ip.mode = SelectionMode::Cells;
      ip.selFirst = std::min(rowA, rowB) * columns + std::min(colA, colB);
      ip.selLast = std::max(rowA, rowB) * columns + std::max(colA, colB);
      return;
    }
  }

  if (container->shape() == KindShape::Infix && container->childCount() > 0) {
    bool pressInGap = false, hereInGap = false;
    const int a = operandAt(*container, pressX, pressInGap);
    const int b = operandAt(*container, x, hereInGap);
    const bool operatorAllowed = container->kind != ObjectKind::atop && container->kind != ObjectKind::times;
    if (pressInGap && hereInGap && a == b && a >= 0 && a + 1 < container->childCount() && operatorAllowed) {
      const MathObject* right = container->child(a + 1);
      const bool signedTerm = container->kind == ObjectKind::plus && right &&
                              (right->kind == ObjectKind::minus || right->kind == ObjectKind::pm ||
                               right->kind == ObjectKind::mp);
      if (!signedTerm) {
        ip.current = container;
        ip.mode = SelectionMode::Operator;
        ip.selFirst = ip.selLast = a;
        return;
      }
    }
    // The left point starts the range; in a gap it starts at the operand to its right.
    const bool pressIsLeft = pressX <= x;
    const int leftIndex = pressIsLeft ? a : b, rightIndex = pressIsLeft ? b : a;
    const bool leftInGap = pressIsLeft ? pressInGap : hereInGap;
    int first = leftInGap ? leftIndex + 1 : leftIndex, last = rightIndex;
    const bool empty = first > last;
    if (empty) first = last;
    first = std::clamp(first, 0, container->childCount() - 1);
    last = std::clamp(last, first, container->childCount() - 1);
    if (first == 0 && last == container->childCount() - 1) {
      setInsertionPoint(ip, *container, SelectionMode::Object);
      return;
    }
    // One operand, with a point in a gap of this object and the other inside the operand or in
    // a gap further out: what the drag covers lies within that operand, as deep as the points
    // reach. Taking the operand from here would select more than was dragged over.
    MathObject* operand = container->child(first);
    if (first == last && !empty && operand && operand->childCount() > 0) {
      const Fixed top = boxTop(*operand), height = operand->bottom - top;
      dragWithin(ip, *operand, clampInto(pressX, operand->left, operand->width),
                 clampInto(pressY, top, height), clampInto(x, operand->left, operand->width),
                 clampInto(y, top, height));
      return;
    }
    ip.current = container;
    ip.mode = SelectionMode::Range;
    ip.selFirst = first;
    ip.selLast = last;
    return;
  }

  if (container->shape() == KindShape::Prefix && container->kind != ObjectKind::optotal &&
      container->kind != ObjectKind::oppartial && container->childCount() == 1 && container->firstChild()) {
    const Fixed operandLeft = container->firstChild()->left;
    if (pressX < operandLeft && x < operandLeft) {
      ip.current = container;
      ip.mode = SelectionMode::Operator;
      ip.selFirst = ip.selLast = 0;
      return;
    }
  }
  setInsertionPoint(ip, *container, SelectionMode::Object);
}

} // namespace

void placeByDrag(InsertionPoint& ip, Fixed pressX, Fixed pressY, Fixed x, Fixed y) {
  if (!ip.root) return;
  MathObject& root = *ip.root;
  const Fixed top = boxTop(root), height = root.bottom - top;
  if (root.width <= 0 || height <= 0) return;
  // A point beyond the line stands for the nearest edge of it: a drag that starts or ends past
  // the equation covers it up to that edge.
  dragWithin(ip, root, clampInto(pressX, root.left, root.width), clampInto(pressY, top, height),
             clampInto(x, root.left, root.width), clampInto(y, top, height));
}

} // namespace vexmar
