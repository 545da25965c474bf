#include "editor/typing.h"

#include "editor/editing_operations.h"
#include "editor/editor_command.h"
#include "editor/editor_state.h"
#include "model/model_state.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

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
  int code;          // an ObjectKind or a special character code
  bool word = false; // recognised only while names typed as words are on
};

// The Greek letters of the special characters besides pi, theta and phi, which are always names.
constexpr std::array<std::string_view, 35> kGreekLetterNames = {
    "alpha",    "beta",  "chi",   "delta", "Delta",    "epsilon", "varphi", "Phi",     "gamma",
    "Gamma",    "eta",   "iota",  "kappa", "lambda",   "Lambda",  "mu",     "nu",      "Pi",
    "vartheta", "Theta", "rho",   "sigma", "varsigma", "Sigma",   "tau",    "upsilon", "Upsilon",
    "omega",    "varpi", "Omega", "xi",    "Xi",       "psi",     "Psi",    "zeta"};

// Tried in order, first match wins, so a name comes before the shorter names it ends with ("asin"
// before "sin", "theta" before "eta"). Special characters are found by name in their table at
// start-up, so this table is not constexpr.
const auto kNameRules = [] {
  std::vector<NameRule> rules;
  auto kinds = [&](ObjectKind first, ObjectKind last, bool word) {
    for (int k = static_cast<int>(first); k <= static_cast<int>(last); ++k)
      rules.push_back({kindName(static_cast<ObjectKind>(k)), k, word});
  };
  kinds(ObjectKind::sin, ObjectKind::asech, false);
  kinds(ObjectKind::ln, ObjectKind::real, false);
  kinds(ObjectKind::fxnlike, ObjectKind::fxnlike, false); // the only function-name kind after `real`
  for (std::string_view name : {"pi", "theta", "phi", "degree"})
    rules.push_back({name, specialCharacterCommand(name), false});
  for (ObjectKind kind : {ObjectKind::log, ObjectKind::sqrt, ObjectKind::abs})
    rules.push_back({kindName(kind), static_cast<int>(kind), true});
  for (std::string_view name : kGreekLetterNames)
    rules.push_back({name, specialCharacterCommand(name), true});
  std::stable_sort(rules.begin(), rules.end(),
                   [](const NameRule& a, const NameRule& b) { return a.name.size() > b.name.size(); });
  return rules;
}();

bool isGreekLetter(std::uint16_t code) {
  if (!isSpecialCharacterCode(code)) return false;
  const std::string_view name = specialCharacter(code - kFirstSpecialCode).name;
  return name == "pi" || name == "theta" || name == "phi" ||
         std::find(kGreekLetterNames.begin(), kGreekLetterNames.end(), name) != kGreekLetterNames.end();
}

// The first of the factors of `product` ending at the typed letter `last` that spell `name`, or
// -1. With names typed as words a Greek letter before the typed one counts as the letters of its
// name: "epsilon" passes through e ψ on the way, and l, o, n then finish it.
int spelledFrom(const MathObject& product, int last, std::string_view name, bool words) {
  int i = last;
  while (!name.empty()) {
    const MathObject* f = i >= 0 ? product.child(i) : nullptr;
    if (!f || f->kind != ObjectKind::char_) return -1;
    const std::uint16_t code = f->characterCode();
    if (code == static_cast<unsigned char>(name.back())) {
      name.remove_suffix(1);
    } else if (words && i < last && isGreekLetter(code) &&
               name.ends_with(specialCharacter(code - kFirstSpecialCode).name)) {
      name.remove_suffix(specialCharacter(code - kFirstSpecialCode).name.size());
    } else {
      return -1;
    }
    --i;
  }
  return i + 1;
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
  const bool words = editorState().habits.namesAsWords;
  const int last = letter->indexInParent;
  for (const NameRule& rule : kNameRules) {
    if (rule.word && !words) continue;
    const int first = spelledFrom(*parent, last, rule.name, words);
    if (first < 0) continue;
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
