#include "numeric/compile_batch.h"

#include "model/number_reading.h"
#include "numeric/decimal_enclosure.h"
#include "numeric/detail/machines.h"
#include "numeric/error_word.h"
#include "numeric/evaluator.h"
#include "numeric/literal_rational.h"
#include "numeric/numeric_state.h"
#include "numeric/real_functions.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <optional>

namespace vexmar {
namespace {

// Letters the compiler treats as variables of the graph rather than parameters.
constexpr std::uint16_t kRho = 0x1317, kTheta = 0x1314, kPhi = 0x1306, kPi = 0x1312, kDegree = 0x1332;

// Variable classes a subtree can mention, for hoisting.
constexpr std::uint32_t kMentionsU = 1, kMentionsV = 2, kMentionsOther = 4, kMentionsAnimated = 8;

// Operands keep their written order until the stack would grow past this depth; beyond it the
// operand that needs the deeper stack goes first, so that a stack of a few dozen values holds any
// expression (a sum of a thousand terms, or a thousand nested ones).
constexpr int kOrderedDepth = 16;

std::uint32_t letterClass(std::uint16_t code, double animated) {
  if (code == 'u') return kMentionsU;
  if (code == 'v') return kMentionsV;
  switch (code) {
  case 'x':
  case 'y':
  case 'z':
  case 'r':
  case 't':
  case kRho:
  case kTheta:
  case kPhi:
    return kMentionsOther;
  default:
    // The animated letter changes between evaluations, so a cache of it would go stale.
    return static_cast<double>(code) == animated ? kMentionsAnimated : 0;
  }
}

// Letters whose code reads a slot; every other letter compiles to a constant.
bool readsSlot(std::uint16_t code, double animated) {
  switch (code) {
  case 'u':
  case 'v':
  case 'x':
  case 'y':
  case 'z':
  case 'r':
  case kRho:
  case kTheta:
  case kPhi:
    return true;
  default:
    return static_cast<double>(code) == animated;
  }
}

std::uint64_t mix(std::uint64_t h, std::uint64_t v) {
  h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
  return h;
}

// What one kind compiles to after its children: a fixed instruction sequence.
struct KindCode {
  ObjectKind kind;
  EvalOpcode op;
};

// clang-format off
constexpr std::array<KindCode, 38> kUnaryAndBinaryKinds = {{
    {ObjectKind::minus, EvalOpcode::Negate}, {ObjectKind::over, EvalOpcode::Divide},
    {ObjectKind::power, EvalOpcode::Power}, {ObjectKind::ln, EvalOpcode::Ln}, {ObjectKind::exp, EvalOpcode::Exp},
    {ObjectKind::abs, EvalOpcode::Abs}, {ObjectKind::sgn, EvalOpcode::Sign}, {ObjectKind::fact, EvalOpcode::Factorial},
    {ObjectKind::sin, EvalOpcode::Sin}, {ObjectKind::cos, EvalOpcode::Cos}, {ObjectKind::tan, EvalOpcode::Tan},
    {ObjectKind::cot, EvalOpcode::Cot}, {ObjectKind::sec, EvalOpcode::Sec}, {ObjectKind::csc, EvalOpcode::Csc},
    {ObjectKind::asin, EvalOpcode::Asin}, {ObjectKind::acos, EvalOpcode::Acos}, {ObjectKind::atan, EvalOpcode::Atan},
    {ObjectKind::acot, EvalOpcode::Acot}, {ObjectKind::asec, EvalOpcode::Asec}, {ObjectKind::acsc, EvalOpcode::Acsc},
    {ObjectKind::sinh, EvalOpcode::Sinh}, {ObjectKind::cosh, EvalOpcode::Cosh}, {ObjectKind::tanh, EvalOpcode::Tanh},
    {ObjectKind::coth, EvalOpcode::Coth}, {ObjectKind::sech, EvalOpcode::Sech}, {ObjectKind::csch, EvalOpcode::Csch},
    {ObjectKind::asinh, EvalOpcode::Asinh}, {ObjectKind::acosh, EvalOpcode::Acosh},
    {ObjectKind::atanh, EvalOpcode::Atanh}, {ObjectKind::acoth, EvalOpcode::Acoth},
    {ObjectKind::asech, EvalOpcode::Asech}, {ObjectKind::acsch, EvalOpcode::Acsch},
    {ObjectKind::lessthan, EvalOpcode::Less}, {ObjectKind::greaterthan, EvalOpcode::Greater},
    {ObjectKind::equal, EvalOpcode::Equal}, {ObjectKind::wedge, EvalOpcode::And}, {ObjectKind::vee, EvalOpcode::Or},
    {ObjectKind::cmut, EvalOpcode::Drop},
}};
// clang-format on

const KindCode* kindCode(ObjectKind kind) {
  for (const KindCode& k : kUnaryAndBinaryKinds)
    if (k.kind == kind) return &k;
  return nullptr;
}

// Which operations compute a value from their operands, and so can be done here on constants.
#define VEXMAR_COMPUTES_Control false
#define VEXMAR_COMPUTES_Unary true
#define VEXMAR_COMPUTES_Binary true
#define VEXMAR_COMPUTES_Rational true
constexpr bool kComputes[] = {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) VEXMAR_COMPUTES_##shape,
#include "numeric/eval_opcodes.def"
};
#undef VEXMAR_COMPUTES_Rational
#undef VEXMAR_COMPUTES_Binary
#undef VEXMAR_COMPUTES_Unary
#undef VEXMAR_COMPUTES_Control

// The right operand goes first only when it needs the deeper stack, and a deep one.
bool rightFirst(int left, int right) { return right > left && right + 1 > kOrderedDepth; }
int pairDepth(int left, int right) {
  return rightFirst(left, right) ? std::max(right, left + 1) : std::max(left, right + 1);
}

// e^u is the exponential function: exp(u) is correctly rounded where e (rounded) to a power is not.
bool isPowerOfE(const MathObject& node, double animated) {
  if (node.kind != ObjectKind::power || node.childCount() != 2 || !node.child(0) || !node.child(1))
    return false;
  const MathObject& base = *node.child(0);
  return base.kind == ObjectKind::char_ && base.characterCode() == 'e' &&
         static_cast<double>('e') != animated;
}

bool allChildren(const MathObject& node) {
  for (const ObjectPtr& c : node.children)
    if (!c) return false;
  return true;
}

// The exact exponent of a power whose exponent is a literal fraction (not an integer, which
// takes the power instruction), or of a root whose index is a literal rational: the machines run
// these as rational powers, real for negative bases where the denominator is odd.
std::optional<Rational> exactExponent(const MathObject& node) {
  if (node.childCount() != 2 || !allChildren(node)) return std::nullopt;
  if (node.kind == ObjectKind::power) {
    if (isPowerOfE(node, numericState().animatedVariable)) return std::nullopt; // the exponential
    const std::optional<Rational> e = literalRational(*node.child(1));
    return e && e->q > 1 ? e : std::nullopt;
  }
  if (node.kind != ObjectKind::sqrt) return std::nullopt;
  const std::optional<Rational> index = literalRational(*node.child(1));
  return index ? rationalOf(index->q, index->p) : std::nullopt;
}

void emit(EvalProgram& p, EvalOpcode op, std::int32_t slot = 0) { p.code.push_back({op, slot, 0.0}); }
void pushConstant(EvalProgram& p, double value, IntervalValue enclosure) {
  p.code.push_back({EvalOpcode::PushConstant, 0, value, enclosure});
}
void pushSlot(EvalProgram& p, int slot) { emit(p, EvalOpcode::PushSlot, slot); }

// A parameter's value and the enclosure of the number its text names.
void pushParameter(EvalProgram& p, const Parameter* parameter) {
  if (!parameter) {
    pushConstant(p, 0.0, {0.0, 0.0});
    return;
  }
  const double value = parseNumber(parameter->valueText);
  pushConstant(p, value, decimalEnclosure(parameter->valueText, value));
}

} // namespace

CompileBatch::CompileBatch(bool hoisting) : hoisting_(hoisting) {}

void CompileBatch::compile(Evaluator& evaluator) {
  evaluator.program_ = std::make_unique<EvalProgram>();
  compile(*evaluator.tree_, *evaluator.program_);
}

bool CompileBatch::constantLeads(const MathObject& node) const {
  return node.childCount() >= 2 && facts_.at(node.child(0)).constant && !facts_.at(node.child(1)).constant;
}

// About how deep the value stack gets for the node's code as plan() lays it out. Only the order
// of operands depends on it; the true depth is found when the program is finished.
int CompileBatch::depthOf(const MathObject& node) const {
  const int n = node.childCount();
  const auto child = [&](int i) { return facts_.at(node.child(i)).depth; };
  if (n == 0) {
    if (node.kind == ObjectKind::num) return 1;
    if (node.kind != ObjectKind::char_) return 0;
    switch (node.characterCode()) {
    case 'r':
    case kRho:
    case kTheta:
    case kPhi:
      return 3; // computed from x, y and z the first time
    default:
      return 1;
    }
  }
  if (!allChildren(node)) return n + 2;
  const double animated = numericState().animatedVariable;
  if (exactExponent(node)) return child(0);
  switch (node.kind) {
  case ObjectKind::plus:
  case ObjectKind::times: {
    const bool swap = constantLeads(node);
    int depth = child(swap ? 1 : 0);
    for (int i = 1; i < n; ++i) depth = pairDepth(depth, child(swap && i == 1 ? 0 : i));
    return depth;
  }
  case ObjectKind::sn:
  case ObjectKind::sqrt:
    if (n == 2) return pairDepth(child(0), child(1) + 1);
    break;
  case ObjectKind::log:
    if (n == 2) return pairDepth(child(0), child(1));
    break;
  default:
    break;
  }
  if (isPowerOfE(node, animated)) return child(1);
  if (const KindCode* k = kindCode(node.kind); k && n == (stackEffect(k->op) < 0 ? 2 : 1))
    return n == 2 ? pairDepth(child(0), child(1)) : child(0);
  // Children side by side, each value staying on the stack.
  int depth = 0;
  for (int i = 0; i < n; ++i) depth = std::max(depth, i + child(i));
  return depth;
}

// Hashes, variable classes and stack depths of every subtree, bottom-up, without recursion.
void CompileBatch::analyse(const MathObject& tree) {
  const double animated = numericState().animatedVariable;
  std::vector<std::pair<const MathObject*, bool>> stack{{&tree, false}};
  while (!stack.empty()) {
    auto [node, childrenDone] = stack.back();
    stack.pop_back();
    if (!childrenDone) {
      stack.push_back({node, true});
      for (int i = node->childCount(); i-- > 0;)
        if (node->child(i)) stack.push_back({node->child(i), false});
      continue;
    }
    std::uint64_t h =
        mix(static_cast<std::uint64_t>(node->kind), static_cast<std::uint64_t>(node->childCount()));
    std::uint32_t letters = 0;
    bool constant = true;
    if (node->kind == ObjectKind::num && node->number) {
      const double v = node->number->value == 0.0 ? 0.0 : node->number->value; // -0 equals 0
      h = mix(h, std::bit_cast<std::uint64_t>(v));
    } else if (node->kind == ObjectKind::char_ || node->kind == ObjectKind::dummy) {
      h = mix(h, static_cast<std::uint64_t>(node->payloadA & 0xFFFF) |
                     (static_cast<std::uint64_t>(node->decoration & 0xFFFF) << 16));
      if (node->kind == ObjectKind::char_) {
        letters = letterClass(node->characterCode(), animated);
        constant = !readsSlot(node->characterCode(), animated);
      }
    } else if (node->kind == ObjectKind::string) {
      h = mix(h, std::hash<std::string>{}(node->text));
    }
    for (const ObjectPtr& c : node->children) {
      if (!c) continue;
      const NodeFacts& f = facts_.at(c.get());
      h = mix(h, f.hash);
      letters |= f.letters;
      constant = constant && f.constant;
    }
    facts_[node] = {h, letters, constant, 0};
    // A constant becomes one push, however it is written.
    facts_[node].depth = constant && node->childCount() > 0 ? 1 : depthOf(*node);
  }
}

bool CompileBatch::tryShare(const MathObject& node, EvalProgram& program) {
  const NodeFacts& f = facts_.at(&node);
  if (hoisting_) {
    const bool uOnly = (f.letters & (kMentionsV | kMentionsOther | kMentionsAnimated)) == 0;
    const bool vOnly = !uOnly && (f.letters & (kMentionsU | kMentionsOther | kMentionsAnimated)) == 0;
    if (uOnly || vOnly) {
      std::vector<const MathObject*>& list = uOnly ? uOnly_ : vOnly_;
      auto found =
          std::find_if(list.begin(), list.end(), [&](const MathObject* t) { return treeEqual(*t, node); });
      const std::size_t index = static_cast<std::size_t>(found - list.begin());
      if (found == list.end()) list.push_back(&node);
      emit(program, uOnly ? EvalOpcode::PushUCache : EvalOpcode::PushVCache,
           static_cast<std::int32_t>(index));
      return true;
    }
  }
  // A constant is folded into one push rather than shared.
  if (f.constant) return false;
  for (auto [it, end] = sharedByHash_.equal_range(f.hash); it != end; ++it) {
    if (treeEqual(*shared_[it->second].tree, node)) {
      pushSlot(program, kFirstSharedSlot + static_cast<int>(it->second));
      return true;
    }
  }
  for (auto [it, end] = compiledByHash_.equal_range(f.hash); it != end; ++it) {
    const Compiled& earlier = compiled_[it->second];
    if (!treeEqual(*earlier.tree, node)) continue;
    const std::size_t index = shared_.size();
    shared_.push_back(earlier);
    sharedByHash_.emplace(f.hash, index);
    pushSlot(program, kFirstSharedSlot + static_cast<int>(index));
    return true;
  }
  return false;
}

// r, rho, theta and phi: the first use in a batch computes the value from x, y and z and stores
// it in its slot; later uses read the slot.
void CompileBatch::emitDerived(int slot, EvalProgram& p) {
  bool& stored = derivedStored_[static_cast<std::size_t>(slot - Slot::R)];
  if (stored) {
    pushSlot(p, slot);
    return;
  }
  switch (slot) {
  case Slot::R:
    pushSlot(p, Slot::X);
    pushSlot(p, Slot::Y);
    emit(p, EvalOpcode::Hypot);
    break;
  case Slot::Rho:
    pushSlot(p, Slot::X);
    pushSlot(p, Slot::Y);
    emit(p, EvalOpcode::Hypot);
    pushSlot(p, Slot::Z);
    emit(p, EvalOpcode::Hypot);
    break;
  case Slot::Theta:
    pushSlot(p, Slot::X);
    pushSlot(p, Slot::Y);
    emit(p, EvalOpcode::Angle);
    break;
  case Slot::Phi:
    pushSlot(p, Slot::Z);
    emitDerived(Slot::R, p);
    emit(p, EvalOpcode::Angle);
    break;
  default:
    return;
  }
  emit(p, EvalOpcode::Store, slot);
  stored = true;
}

void CompileBatch::emitLetter(std::uint16_t code, EvalProgram& p) {
  switch (code) {
  case 'u':
    pushSlot(p, Slot::U);
    return;
  case 'v':
    pushSlot(p, Slot::V);
    return;
  case 'x':
    pushSlot(p, Slot::X);
    return;
  case 'y':
    pushSlot(p, Slot::Y);
    return;
  case 'z':
    pushSlot(p, Slot::Z);
    return;
  default:
    break;
  }
  if (static_cast<double>(code) == numericState().animatedVariable) {
    pushSlot(p, Slot::Animation);
    return;
  }
  switch (code) {
  case 'r':
    emitDerived(Slot::R, p);
    return;
  case kRho:
    emitDerived(Slot::Rho, p);
    return;
  case kTheta:
    emitDerived(Slot::Theta, p);
    return;
  case kPhi:
    emitDerived(Slot::Phi, p);
    return;
  case 'e':
    pushConstant(p, Constant::E, ConstantEnclosure::E);
    return;
  case kPi:
    pushConstant(p, Constant::Pi, ConstantEnclosure::Pi);
    return;
  case kDegree:
    pushConstant(p, Constant::Degree, ConstantEnclosure::Degree);
    return;
  default:
    // Ordinary parameters are baked in; changing one means compiling again.
    // A Greek letter's low byte is no letter at all: it goes by its name.
    if (isSpecialCharacterCode(code)) {
      pushParameter(p, numericState().parameters.find(specialCharacter(code - kFirstSpecialCode).name));
      return;
    }
    pushParameter(p, numericState().parameters.findByFirstCharacter(static_cast<unsigned char>(code & 0xFF)));
    return;
  }
}

void CompileBatch::emitLeaf(const MathObject& node, EvalProgram& p) {
  if (node.kind == ObjectKind::num) {
    if (node.number)
      pushConstant(p, node.number->value, numberEnclosure(*node.number));
    else
      pushConstant(p, std::nan(""), {std::nan(""), std::nan("")});
  } else if (node.kind == ObjectKind::char_) {
    emitLetter(node.characterCode(), p);
  }
  // Any other kind without children compiles to nothing.
}

// The steps of an interior node's code, in order.
void CompileBatch::plan(const MathObject& node, std::vector<Step>& code) const {
  const int n = node.childCount();
  const auto visit = [](const MathObject* c) { return Step{Step::Kind::Visit, c}; };
  const auto operate = [](EvalOpcode op) { return Step{Step::Kind::Operate, nullptr, op}; };
  const auto push = [](double value) {
    return Step{Step::Kind::Push, nullptr, EvalOpcode::PushConstant, value};
  };
  const auto depth = [&](int i) { return facts_.at(node.child(i)).depth; };
  // left op right, where each side is a run of steps; a commutative op needs no swap.
  const auto pair = [&](std::vector<Step> left, int leftDepth, std::vector<Step> right, int rightDepth,
                        EvalOpcode op, bool commutative) {
    const bool swapped = rightFirst(leftDepth, rightDepth);
    std::vector<Step>& first = swapped ? right : left;
    std::vector<Step>& second = swapped ? left : right;
    code.insert(code.end(), first.begin(), first.end());
    code.insert(code.end(), second.begin(), second.end());
    if (swapped && !commutative) code.push_back(operate(EvalOpcode::Swap));
    code.push_back(operate(op));
  };
  const KindCode* k = kindCode(node.kind);
  if (const std::optional<Rational> e = exactExponent(node)) {
    const Step power{Step::Kind::Operate, nullptr, EvalOpcode::RationalPower, static_cast<double>(e->p),
                     static_cast<std::int32_t>(e->q)};
    code.insert(code.end(), {visit(node.child(0)), power});
    return;
  }
  if (!allChildren(node)) {
    // As the children come: values side by side, then the kind's operations.
    for (const ObjectPtr& c : node.children)
      if (c) code.push_back(visit(c.get()));
    if (node.kind == ObjectKind::plus || node.kind == ObjectKind::times)
      for (int i = 1; i < n; ++i)
        code.push_back(operate(node.kind == ObjectKind::plus ? EvalOpcode::Add : EvalOpcode::Multiply));
    else if (k)
      code.push_back(operate(k->op));
    return;
  }
  switch (node.kind) {
  case ObjectKind::plus:
  case ObjectKind::times: {
    // ((c0 op c1) op c2) ...: each term is added to the sum so far, so the stack never holds more
    // than the sum and one term. Where a term needs the deeper stack it goes first (+ and x
    // commute exactly), and the sum so far is computed on top of it.
    // A constant first term trades places with the second (c + t = t + c exactly), so that it
    // joins the operation as its operand: x + 1 rather than 1 + x.
    const EvalOpcode op = node.kind == ObjectKind::plus ? EvalOpcode::Add : EvalOpcode::Multiply;
    const bool swap = constantLeads(node);
    const auto term = [&](int i) { return swap && i < 2 ? 1 - i : i; };
    std::vector<bool> termFirst(static_cast<std::size_t>(n), false);
    int sumDepth = depth(term(0));
    for (int i = 1; i < n; ++i) {
      termFirst[static_cast<std::size_t>(i)] = rightFirst(sumDepth, depth(term(i)));
      sumDepth = pairDepth(sumDepth, depth(term(i)));
    }
    for (int i = n - 1; i >= 1; --i)
      if (termFirst[static_cast<std::size_t>(i)]) code.push_back(visit(node.child(term(i))));
    if (n > 0) code.push_back(visit(node.child(term(0))));
    for (int i = 1; i < n; ++i) {
      if (!termFirst[static_cast<std::size_t>(i)]) code.push_back(visit(node.child(term(i))));
      code.push_back(operate(op));
    }
    return;
  }
  case ObjectKind::sn: // mantissa x 10^exponent
    if (n != 2) break;
    pair({visit(node.child(0))}, depth(0), {push(10), visit(node.child(1)), operate(EvalOpcode::Power)},
         depth(1) + 1, EvalOpcode::Multiply, true);
    return;
  case ObjectKind::sqrt: // first child to the power 1 / second child
    if (n != 2) break;
    pair({visit(node.child(0))}, depth(0), {push(1), visit(node.child(1)), operate(EvalOpcode::Divide)},
         depth(1) + 1, EvalOpcode::Power, false);
    return;
  case ObjectKind::log: // ln(first) / ln(second)
    if (n != 2) break;
    pair({visit(node.child(0)), operate(EvalOpcode::Ln)}, depth(0),
         {visit(node.child(1)), operate(EvalOpcode::Ln)}, depth(1), EvalOpcode::Divide, false);
    return;
  default:
    break;
  }
  if (node.kind == ObjectKind::sqrt && n == 1) {
    code.insert(code.end(), {visit(node.child(0)), operate(EvalOpcode::Sqrt)});
    return;
  }
  if (node.kind == ObjectKind::log && n == 1) {
    code.insert(code.end(), {visit(node.child(0)), operate(EvalOpcode::Log10)});
    return;
  }
  if (isPowerOfE(node, numericState().animatedVariable)) {
    code.insert(code.end(), {visit(node.child(1)), operate(EvalOpcode::Exp)});
    return;
  }
  if (k && n == 2 && stackEffect(k->op) < 0) {
    pair({visit(node.child(0))}, depth(0), {visit(node.child(1))}, depth(1), k->op, false);
    return;
  }
  // One operand, or operands side by side; any other kind passes its children's values through.
  for (int i = 0; i < n; ++i) code.push_back(visit(node.child(i)));
  if (k) code.push_back(operate(k->op));
}

void CompileBatch::visit(const MathObject& node, EvalProgram& p, std::vector<Step>& steps) {
  if (node.childCount() == 0) {
    emitLeaf(node, p);
    return;
  }
  if (tryShare(node, p)) return;
  // Its code ends where the Record step is taken: a later copy can load what it computed.
  if (!facts_.at(&node).constant) steps.push_back({Step::Kind::Record, &node});
  std::vector<Step> code;
  plan(node, code);
  steps.insert(steps.end(), code.rbegin(), code.rend());
}

// Emits `instruction`, or, when its operands are constants, the constant it makes: the point value
// as the point machine computes it and the enclosure as the interval machine does.
void CompileBatch::operate(EvalProgram& p, const EvalInstruction& instruction) {
  const EvalOpcode op = instruction.opcode;
  const std::size_t operands = stackEffect(op) < 0 ? 2 : 1;
  const std::size_t size = p.code.size();
  const bool constantOperands =
      kComputes[static_cast<std::size_t>(op)] && size >= operands + lastRecorded_ &&
      std::all_of(p.code.end() - static_cast<std::ptrdiff_t>(operands), p.code.end(),
                  [](const EvalInstruction& i) { return i.opcode == EvalOpcode::PushConstant; });
  if (!constantOperands) {
    p.code.push_back(instruction);
    return;
  }
  EvalProgram folded;
  folded.code.assign(p.code.end() - static_cast<std::ptrdiff_t>(operands), p.code.end());
  folded.code.push_back(instruction);
  folded.finish();
  NumericState& state = numericState();
  const double value = detail::runPointProgram(folded, state.slots.data());
  const IntervalValue enclosure = detail::runIntervalProgram(folded, state.intervalSlots.data());
  p.code.resize(size - operands);
  pushConstant(p, value, enclosure);
}

void CompileBatch::compile(const MathObject& tree, EvalProgram& program) {
  analyse(tree);
  const int programNumber = static_cast<int>(programs_.size());
  programs_.push_back(&program);
  lastRecorded_ = 0;
  std::vector<Step> steps{{Step::Kind::Visit, &tree}};
  while (!steps.empty()) {
    const Step step = steps.back();
    steps.pop_back();
    switch (step.kind) {
    case Step::Kind::Visit:
      visit(*step.node, program, steps);
      break;
    case Step::Kind::Operate:
      operate(program, {step.op, step.slot, step.value});
      break;
    case Step::Kind::Push:
      pushConstant(program, step.value, {step.value, step.value});
      break;
    case Step::Kind::Record:
      lastRecorded_ = program.code.size();
      compiledByHash_.emplace(facts_.at(step.node).hash, compiled_.size());
      compiled_.push_back({step.node, programNumber, program.code.size()});
      break;
    }
  }
}

int CompileBatch::finish() {
  for (std::size_t k = 0; k < shared_.size(); ++k) {
    const Compiled& s = shared_[k];
    std::vector<EvalInstruction>& code = programs_[static_cast<std::size_t>(s.program)]->code;
    code.insert(code.begin() + static_cast<std::ptrdiff_t>(s.position),
                {EvalOpcode::Store, kFirstSharedSlot + static_cast<std::int32_t>(k), 0.0});
    for (std::size_t later = k + 1; later < shared_.size(); ++later)
      if (shared_[later].program == s.program && shared_[later].position >= s.position)
        ++shared_[later].position;
  }
  for (EvalProgram* p : programs_) {
    p->finish();
    if (p->wellFormed && !p->runnable()) raiseError(Error::GraphMemory);
  }
  return kFirstSharedSlot + static_cast<int>(shared_.size());
}

} // namespace vexmar
