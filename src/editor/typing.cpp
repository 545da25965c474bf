#include "editor/typing.h"

#include "editor/editing_operations.h"
#include "editor/editor_command.h"
#include "model/model_state.h"

#include <array>
#include <string>
#include <string_view>

namespace vexmar {
namespace {

constexpr std::size_t kMaxTypedDigits = 18;
constexpr std::size_t kMaxTextBeforeSeparator = 21;

// Circular functions, which an "h" turns into their hyperbolic kind (12 rows further on).
bool isCircularFunction(ObjectKind k) { return k >= ObjectKind::sin && k <= ObjectKind::asec; }
ObjectKind hyperbolic(ObjectKind k) { return static_cast<ObjectKind>(static_cast<int>(k) + 12); }

// What a typed name turns into: a kind, or a special character.
struct NameRule {
  std::string_view name;
  int code; // an ObjectKind or a special character code
};

// Tried in order, first match wins: inverse functions before the names they end with. Special
// characters are found by name in their table at start-up, so this table is not constexpr.
const auto kNameRules = [] {
  std::array<NameRule, 4 * 6 + 5 + 1 + 4> rules{};
  std::size_t n = 0;
  auto kinds = [&](ObjectKind first, ObjectKind last) {
    for (int k = static_cast<int>(first); k <= static_cast<int>(last); ++k) rules[n++] = {{}, k};
  };
  kinds(ObjectKind::asin, ObjectKind::asec);
  kinds(ObjectKind::asinh, ObjectKind::asech);
  kinds(ObjectKind::sin, ObjectKind::sec);
  kinds(ObjectKind::sinh, ObjectKind::sech);
  kinds(ObjectKind::ln, ObjectKind::real);
  kinds(ObjectKind::fxnlike, ObjectKind::fxnlike); // the only function-name kind after `real`
  for (std::string_view name : {"pi", "theta", "phi", "degree"})
    rules[n++] = {name, specialCharacterCommand(name)};
  return rules;
}();

std::string_view ruleName(const NameRule& r) {
  return r.name.empty() ? kindName(static_cast<ObjectKind>(r.code)) : r.name;
}

// Whether the `length` factors of `product` ending at `last` spell `name`.
bool spells(const MathObject& product, int last, std::string_view name) {
  const int first = last - static_cast<int>(name.size()) + 1;
  if (first < 0) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const MathObject* f = product.child(first + static_cast<int>(i));
    if (!f || f->kind != ObjectKind::char_ || f->characterCode() != static_cast<unsigned char>(name[i]))
      return false;
  }
  return true;
}

// Removes factors first..last of a product (collapsing it when one factor is left).
void removeFactors(MathObject& product, int first, int last) {
  for (int i = last; i >= first; --i) removeChild(product, i);
  if (product.childCount() == 1) replaceObject(removeChild(product, 0), product);
}

void applyNameRules(InsertionPoint& ip) {
  MathObject* letter = ip.current;
  MathObject* parent = letter->parent;
  if (!parent) return;
  if (isCircularFunction(parent->kind) && letter->characterCode() == 'h') {
    parent->kind = hyperbolic(parent->kind);
    MathObject* slot = replaceSubtree(ip, *letter, makePrompt());
    setInsertionPoint(ip, *slot, SelectionMode::Object);
    markChanged(ip, *parent);
    return;
  }
  if (parent->kind != ObjectKind::times) return;
  const int last = letter->indexInParent;
  for (const NameRule& rule : kNameRules) {
    const std::string_view name = ruleName(rule);
    if (!spells(*parent, last, name)) continue;
    const int first = last - static_cast<int>(name.size()) + 1;
    MathObject& product = *parent;
    if (isSpecialCharacterCode(rule.code)) {
      MathObject* slot = openSlotAfter(ip, ObjectKind::times);
      MathObject* special = replaceSubtree(ip, *slot, makeChar(static_cast<std::uint16_t>(rule.code)));
      removeFactors(product, first, last);
      // A product left with the character alone collapses into the product's own record.
      MathObject* placed = product.kind == ObjectKind::times ? special : &product;
      setInsertionPoint(ip, *placed, SelectionMode::After);
      markChangedFromRoot(ip);
      return;
    }
    // The factors after the name become the function's argument.
    const int following = product.childCount() - 1 - last;
    MathObject* argument = nullptr;
    if (following == 0) {
      argument = openSlotAfter(ip, ObjectKind::times);
    } else if (following == 1) {
      argument = product.child(last + 1);
    } else {
      ObjectPtr group = makeObject(ObjectKind::times);
      for (int i = last + 1; i < product.childCount();) appendChild(*group, removeChild(product, i));
      argument = appendChild(product, std::move(group));
    }
    setInsertionPoint(ip, *argument, SelectionMode::Object);
    MathObject* function = wrapSelection(ip, static_cast<ObjectKind>(rule.code), 1, 0);
    MathObject* caret = ip.current;
    const SelectionMode mode = ip.mode;
    const bool functionIsCaret = caret == function;
    removeFactors(product, first, last);
    if (product.kind != ObjectKind::times) {
      // The product collapsed onto the function: its record now holds the function.
      function = &product;
      if (functionIsCaret) caret = function;
    }
    setInsertionPoint(ip, *caret, mode);
    markChangedFromRoot(ip);
    return;
  }
}

// Puts a new leaf where typing at the caret puts one: replacing a selection, or in a new factor
// slot after or before the current object.
MathObject* placeNewLeaf(InsertionPoint& ip, ObjectPtr leaf) {
  MathObject* target = caretOperand(ip);
  return target ? replaceSubtree(ip, *target, std::move(leaf)) : nullptr;
}

// Climbs through postfix objects and first operands of infix objects and powers.
MathObject* operandHead(MathObject* o) {
  while (o->parent) {
    const MathObject& p = *o->parent;
    const bool throughPostfix = p.shape() == KindShape::Postfix;
    const bool firstOperand =
        o->indexInParent == 0 && (p.shape() == KindShape::Infix || p.kind == ObjectKind::power);
    if (!throughPostfix && !firstOperand) break;
    o = o->parent;
  }
  return o;
}

MathObject* enclosingIntegral(MathObject* o) {
  for (MathObject* a = o ? o->parent : nullptr; a; a = a->parent)
    if (a->kind == ObjectKind::int_) return a;
  return nullptr;
}

bool prepareForTyping(InsertionPoint& ip) {
  if (ip.mode == SelectionMode::Cells || ip.mode == SelectionMode::Text) return false;
  if (ip.mode == SelectionMode::Operator) removeSelectedOperator(ip);
  return ip.mode != SelectionMode::Operator;
}

void newNumber(InsertionPoint& ip, std::string_view text) {
  ObjectPtr number = makeNumber(0.0, text);
  number->number->value = number->number->textValue(modelState().decimalSeparator);
  MathObject* placed = placeNewLeaf(ip, std::move(number));
  if (!placed) return;
  setInsertionPoint(ip, *placed, SelectionMode::After);
  markChanged(ip, *placed);
}

} // namespace

void typeLetter(InsertionPoint& ip, int code) {
  if (!ip.current || !prepareForTyping(ip)) return;
  MathObject* current = ip.current;
  if (code == 'E' && ip.mode == SelectionMode::After && current->kind == ObjectKind::num) {
    wrapSelection(ip, ObjectKind::sn, 2, 0);
    return;
  }
  if (code == 'd') {
    if (MathObject* integral = enclosingIntegral(current); integral && integral->firstChild()) {
      setInsertionPoint(ip, *integral->firstChild(), SelectionMode::After);
      openSlotAfter(ip, ObjectKind::times);
      wrapSelection(ip, ObjectKind::diff, 1, 0);
      return;
    }
  }
  if (ip.mode == SelectionMode::Before && code == 'h') {
    MathObject* head = operandHead(current);
    if (head->parent && isCircularFunction(head->parent->kind)) {
      head->parent->kind = hyperbolic(head->parent->kind);
      setInsertionPoint(ip, *head, SelectionMode::Before);
      markChanged(ip, *head->parent);
      return;
    }
  }
  MathObject* letter = placeNewLeaf(ip, makeChar(static_cast<std::uint16_t>(code)));
  if (!letter) return;
  setInsertionPoint(ip, *letter, SelectionMode::After);
  ip.current = letter; // the name rules look at the letter itself, even between factors
  markChanged(ip, *letter);
  applyNameRules(ip);
}

void typeDigit(InsertionPoint& ip, int digit) {
  if (!ip.current || !prepareForTyping(ip)) return;
  MathObject& current = *ip.current;
  const char typed = static_cast<char>('0' + digit);
  const bool onNumber = current.kind == ObjectKind::num && current.number;
  const bool after = ip.mode == SelectionMode::After || ip.mode == SelectionMode::BetweenFactors;
  if (onNumber && (after || ip.mode == SelectionMode::Before)) {
    NumberRecord& n = *current.number;
    const std::string text(n.displayText());
    if (text.size() >= kMaxTypedDigits || (after && n.ellipsis)) return;
    n.setDisplayText(after ? text + typed : typed + text);
    n.value = n.textValue(modelState().decimalSeparator);
    markChanged(ip, current);
    return;
  }
  newNumber(ip, std::string(1, typed));
}

void typeDecimalSeparator(InsertionPoint& ip) {
  if (!ip.current || !prepareForTyping(ip)) return;
  MathObject& current = *ip.current;
  const char separator = modelState().decimalSeparator;
  const bool after = ip.mode == SelectionMode::After || ip.mode == SelectionMode::BetweenFactors;
  if (current.kind == ObjectKind::num && current.number && after) {
    NumberRecord& n = *current.number;
    const std::string text(n.displayText());
    // A second separator, or one past the length a number may have, is ignored.
    if (text.size() >= kMaxTextBeforeSeparator || text.find(separator) != std::string::npos) return;
    n.setDisplayText(text + separator);
    markChanged(ip, current);
    return;
  }
  newNumber(ip, std::string(1, separator));
}

} // namespace vexmar
