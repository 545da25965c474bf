#include "numeric/compile_batch.h"

#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"
#include "numeric/real_functions.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace vexmar {
namespace {

// Letters the compiler treats as variables of the graph rather than parameters.
constexpr std::uint16_t kRho = 0x1317, kTheta = 0x1314, kPhi = 0x1306, kPi = 0x1312, kDegree = 0x1332;

// Variable classes a subtree can mention, for hoisting.
constexpr std::uint32_t kMentionsU = 1, kMentionsV = 2, kMentionsOther = 4, kMentionsAnimated = 8;

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
constexpr std::array<KindCode, 37> kUnaryAndBinaryKinds = {{
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
}};
// clang-format on

void emit(EvalProgram& p, EvalOpcode op, std::int32_t slot = 0, double constant = 0.0) {
  p.code.push_back({op, slot, constant});
}
void pushConstant(EvalProgram& p, double value) { emit(p, EvalOpcode::PushConstant, 0, value); }
void pushSlot(EvalProgram& p, int slot) { emit(p, EvalOpcode::PushSlot, slot); }

} // namespace

CompileBatch::CompileBatch(bool hoisting) : hoisting_(hoisting) {}

void CompileBatch::compile(Evaluator& evaluator) {
  evaluator.program_ = std::make_unique<EvalProgram>();
  compile(*evaluator.tree_, *evaluator.program_);
}

// Hashes and variable classes of every subtree, bottom-up, without recursion.
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
    if (node->kind == ObjectKind::num && node->number) {
      const double v = node->number->value == 0.0 ? 0.0 : node->number->value; // -0 equals 0
      h = mix(h, std::bit_cast<std::uint64_t>(v));
    } else if (node->kind == ObjectKind::char_ || node->kind == ObjectKind::dummy) {
      h = mix(h, static_cast<std::uint64_t>(node->payloadA & 0xFFFF) |
                     (static_cast<std::uint64_t>(node->decoration & 0xFFFF) << 16));
      if (node->kind == ObjectKind::char_) letters = letterClass(node->characterCode(), animated);
    } else if (node->kind == ObjectKind::string) {
      h = mix(h, std::hash<std::string>{}(node->text));
    }
    for (const ObjectPtr& c : node->children) {
      if (!c) continue;
      const NodeFacts& f = facts_.at(c.get());
      h = mix(h, f.hash);
      letters |= f.letters;
    }
    facts_[node] = {h, letters};
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
    pushConstant(p, Constant::E);
    return;
  case kPi:
    pushConstant(p, Constant::Pi);
    return;
  case kDegree:
    pushConstant(p, Constant::Pi / 180.0);
    return;
  default:
    // Ordinary parameters are baked in; changing one means compiling again.
    // A Greek letter's low byte is no letter at all: it goes by its name.
    if (isSpecialCharacterCode(code)) {
      pushConstant(p,
                   numericState().parameters.valueForName(specialCharacter(code - kFirstSpecialCode).name));
      return;
    }
    pushConstant(p, numericState().parameters.valueForLetter(static_cast<unsigned char>(code & 0xFF)));
    return;
  }
}

void CompileBatch::emitNode(const MathObject& node, EvalProgram& p) {
  const int n = node.childCount();
  switch (node.kind) {
  case ObjectKind::num:
    pushConstant(p, node.number ? node.number->value : std::nan(""));
    return;
  case ObjectKind::char_:
    emitLetter(node.characterCode(), p);
    return;
  case ObjectKind::plus:
    for (int i = 1; i < n; ++i) emit(p, EvalOpcode::Add);
    return;
  case ObjectKind::times:
    for (int i = 1; i < n; ++i) emit(p, EvalOpcode::Multiply);
    return;
  case ObjectKind::sn: // mantissa x 10^exponent
    pushConstant(p, 10.0);
    emit(p, EvalOpcode::Swap);
    emit(p, EvalOpcode::Power);
    emit(p, EvalOpcode::Multiply);
    return;
  case ObjectKind::sqrt:
    if (n >= 2) { // first child to the power 1 / second child
      pushConstant(p, 1.0);
      emit(p, EvalOpcode::Swap);
      emit(p, EvalOpcode::Divide);
      emit(p, EvalOpcode::Power);
    } else {
      emit(p, EvalOpcode::Sqrt);
    }
    return;
  case ObjectKind::log:
    if (n >= 2) { // ln(first) / ln(second)
      emit(p, EvalOpcode::Ln);
      emit(p, EvalOpcode::Swap);
      emit(p, EvalOpcode::Ln);
      emit(p, EvalOpcode::Swap);
      emit(p, EvalOpcode::Divide);
    } else {
      emit(p, EvalOpcode::Log10);
    }
    return;
  case ObjectKind::cmut:
    emit(p, EvalOpcode::Drop);
    return;
  default:
    break;
  }
  for (const KindCode& k : kUnaryAndBinaryKinds) {
    if (k.kind == node.kind) {
      emit(p, k.op);
      return;
    }
  }
  // Any other kind passes its children's values through.
}

void CompileBatch::compile(const MathObject& tree, EvalProgram& program) {
  analyse(tree);
  const int programNumber = static_cast<int>(programs_.size());
  programs_.push_back(&program);
  std::vector<std::pair<const MathObject*, bool>> stack{{&tree, false}};
  while (!stack.empty()) {
    auto [node, childrenDone] = stack.back();
    stack.pop_back();
    if (!childrenDone) {
      if (node->childCount() > 0 && tryShare(*node, program)) continue;
      stack.push_back({node, true});
      for (int i = node->childCount(); i-- > 0;)
        if (node->child(i)) stack.push_back({node->child(i), false});
      continue;
    }
    emitNode(*node, program);
    if (node->childCount() > 0) {
      compiledByHash_.emplace(facts_.at(node).hash, compiled_.size());
      compiled_.push_back({node, programNumber, program.code.size()});
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
  for (EvalProgram* p : programs_) p->finish();
  return kFirstSharedSlot + static_cast<int>(shared_.size());
}

} // namespace vexmar
