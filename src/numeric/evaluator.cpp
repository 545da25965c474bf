#include "numeric/evaluator.h"

#include "numeric/compile_batch.h"
#include "numeric/error_word.h"
#include "numeric/numeric_state.h"
#include "numeric/real_functions.h"

#include <cmath>
#include <limits>

namespace vexmar {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kStackSize = kStackLimit + 1;

// Where grid programs find their cached u-only and v-only values.
struct GridView {
  const double* values;
  int slotCount;
  int uCount;
  int vCount;
  int uPrograms;
  int i;
  int j;
};

double sign(double a) { return a > 0 ? 1.0 : a < 0 ? -1.0 : a; }

// One machine operation on the accumulator `a`, with `stack`/`sp` the value stack. Shared by the
// two dispatch loops below so that both run exactly the same arithmetic.
#define VEXMAR_POINT_OPERATIONS(OP)                                                                          \
  OP(PushConstant, {                                                                                         \
    stack[sp++] = a;                                                                                         \
    a = ip->constant;                                                                                        \
  })                                                                                                         \
  OP(PushSlot, {                                                                                             \
    stack[sp++] = a;                                                                                         \
    a = slots[ip->slot];                                                                                     \
  })                                                                                                         \
  OP(Store, { slots[ip->slot] = a; })                                                                        \
  OP(Swap, { std::swap(a, stack[sp - 1]); })                                                                 \
  OP(PushUCache, {                                                                                           \
    stack[sp++] = a;                                                                                         \
    a = grid ? grid->values[grid->uCount * ip->slot + grid->slotCount + grid->i] : kNaN;                     \
  })                                                                                                         \
  OP(PushVCache, {                                                                                           \
    stack[sp++] = a;                                                                                         \
    a = grid ? grid->values[grid->vCount * ip->slot + grid->uPrograms * grid->uCount + grid->slotCount +     \
                            grid->j]                                                                         \
             : kNaN;                                                                                         \
  })                                                                                                         \
  OP(Add, { a = stack[--sp] + a; })                                                                          \
  OP(Nop, {})                                                                                                \
  OP(Multiply, { a = stack[--sp] * a; })                                                                     \
  OP(Divide, { a = stack[--sp] / a; })                                                                       \
  OP(Power, { a = powerOf(stack[--sp], a); })                                                                \
  OP(Angle, { a = angleOf(a, stack[--sp]); })                                                                \
  OP(Hypot, { a = std::hypot(stack[--sp], a); })                                                             \
  OP(Drop, { --sp; })                                                                                        \
  OP(Negate, { a = -a; })                                                                                    \
  OP(Abs, { a = std::fabs(a); })                                                                             \
  OP(Sign, { a = sign(a); })                                                                                 \
  OP(Sqrt, { a = std::sqrt(a); })                                                                            \
  OP(Exp, { a = std::exp(a); })                                                                              \
  OP(Log10, { a = std::log10(a); })                                                                          \
  OP(Ln, { a = std::log(a); })                                                                               \
  OP(Factorial, { a = factorial(a); })                                                                       \
  OP(Sin, { a = std::sin(a); })                                                                              \
  OP(Cos, { a = std::cos(a); })                                                                              \
  OP(Tan, { a = std::tan(a); })                                                                              \
  OP(Cot, { a = cot(a); })                                                                                   \
  OP(Sec, { a = sec(a); })                                                                                   \
  OP(Csc, { a = csc(a); })                                                                                   \
  OP(Asin, { a = std::asin(a); })                                                                            \
  OP(Acos, { a = std::acos(a); })                                                                            \
  OP(Atan, { a = std::atan(a); })                                                                            \
  OP(Acot, { a = arccot(a); })                                                                               \
  OP(Asec, { a = arcsec(a); })                                                                               \
  OP(Acsc, { a = arccsc(a); })                                                                               \
  OP(Sinh, { a = std::sinh(a); })                                                                            \
  OP(Cosh, { a = std::cosh(a); })                                                                            \
  OP(Tanh, { a = std::tanh(a); })                                                                            \
  OP(Coth, { a = coth(a); })                                                                                 \
  OP(Sech, { a = sech(a); })                                                                                 \
  OP(Csch, { a = csch(a); })                                                                                 \
  OP(Asinh, { a = arcsinh(a); })                                                                             \
  OP(Acosh, { a = arccosh(a); })                                                                             \
  OP(Atanh, { a = arctanh(a); })                                                                             \
  OP(Acoth, { a = arccoth(a); })                                                                             \
  OP(Asech, { a = arcsech(a); })                                                                             \
  OP(Acsch, { a = arccsch(a); })                                                                             \
  OP(Less, { a = stack[--sp] < a ? 1.0 : 0.0; })                                                             \
  OP(Greater, { a = stack[--sp] > a ? 1.0 : 0.0; })                                                          \
  OP(Equal, { a = stack[--sp] == a ? 1.0 : 0.0; })                                                           \
  OP(And, { a = (stack[--sp] != 0 && a != 0) ? 1.0 : 0.0; })                                                 \
  OP(Or, { a = (stack[--sp] != 0 || a != 0) ? 1.0 : 0.0; })

// Squares are the commonest powers; x*x is exactly what the runtime's pow gives for them.
inline double powerOf(double base, double exponent) {
  return exponent == 2.0 ? base * base : power(base, exponent);
}

// The point machine: one accumulator, a value stack on the frame, no allocation. An undefined
// intermediate value stops the program at once: the whole value is undefined.
//
// Programs whose stack stays shallow (nearly all) run on threaded dispatch, one indirect jump per
// instruction; the rare deep ones take the switch loop, which also watches the stack depth.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic" // labels as values
double runShallow(const EvalInstruction* ip, double* slots, const GridView* grid) {
  static const void* const kTargets[kOpcodeCount] = {
#define VEXMAR_TARGET(name, body) &&op_##name,
      VEXMAR_POINT_OPERATIONS(VEXMAR_TARGET) && op_Stop};
#undef VEXMAR_TARGET
  double stack[kStackSize];
  int sp = 0;
  double a = kNaN;
  goto* kTargets[static_cast<std::uint32_t>(ip->opcode)];
#define VEXMAR_LABEL(name, body)                                                                             \
  op_##name : body;                                                                                          \
  if (a != a) return kNaN;                                                                                   \
  ++ip;                                                                                                      \
  goto* kTargets[static_cast<std::uint32_t>(ip->opcode)];
  VEXMAR_POINT_OPERATIONS(VEXMAR_LABEL)
#undef VEXMAR_LABEL
op_Stop:
  return a;
}
#pragma GCC diagnostic pop
#endif

double runChecked(const EvalInstruction* ip, double* slots, const GridView* grid) {
  double stack[kStackSize];
  int sp = 0;
  double a = kNaN;
  for (;; ++ip) {
    switch (ip->opcode) {
#define VEXMAR_CASE(name, body)                                                                              \
  case EvalOpcode::name:                                                                                     \
    body;                                                                                                    \
    break;
      VEXMAR_POINT_OPERATIONS(VEXMAR_CASE)
#undef VEXMAR_CASE
    case EvalOpcode::Stop:
      return a;
    }
    if (a != a) return kNaN;
    if (sp >= kStackLimit) {
      raiseError(Error::GraphMemory);
      return kNaN;
    }
  }
}

inline double runPoint(const EvalProgram* program, double* slots, const GridView* grid = nullptr) {
  if (!program || !program->wellFormed) return kNaN;
#if defined(__GNUC__)
  if (program->maxStackDepth < kStackLimit) return runShallow(program->code.data(), slots, grid);
#endif
  return runChecked(program->code.data(), slots, grid);
}

IntervalValue point(double v) { return {v, v}; }

IntervalValue intervalBinary(EvalOpcode op, IntervalValue p, IntervalValue a) {
  switch (op) {
  case EvalOpcode::Add:
    return intervalAdd(p, a);
  case EvalOpcode::Multiply:
    return intervalMultiply(p, a);
  case EvalOpcode::Divide:
    return intervalDivide(p, a);
  case EvalOpcode::Power:
    return intervalPower(p, a);
  case EvalOpcode::Angle:
    return intervalAngle(a, p);
  case EvalOpcode::Hypot:
    return intervalHypot(p, a);
  case EvalOpcode::Drop:
    return {p.lower, a.upper};
  case EvalOpcode::Less:
    return intervalLess(p, a);
  case EvalOpcode::Greater:
    return intervalGreater(p, a);
  case EvalOpcode::Equal:
    return intervalEqual(p, a);
  case EvalOpcode::And:
    return intervalAnd(p, a);
  case EvalOpcode::Or:
    return intervalOr(p, a);
  default:
    return undefinedInterval();
  }
}

IntervalValue intervalUnary(EvalOpcode op, IntervalValue a) {
  switch (op) {
  case EvalOpcode::Negate:
    return {-a.upper, -a.lower};
  case EvalOpcode::Abs:
    return intervalAbs(a);
  case EvalOpcode::Sign:
    return intervalSign(a);
  case EvalOpcode::Sqrt:
    return intervalSqrt(a);
  case EvalOpcode::Exp:
    return intervalExp(a);
  case EvalOpcode::Log10:
    return intervalLog10(a);
  case EvalOpcode::Ln:
    return intervalLn(a);
  case EvalOpcode::Factorial:
    return intervalFactorial(a);
  case EvalOpcode::Sin:
    return intervalSinCos(a, true);
  case EvalOpcode::Cos:
    return intervalSinCos(a, false);
  case EvalOpcode::Tan:
    return intervalTan(a);
  case EvalOpcode::Cot:
    return intervalCot(a);
  case EvalOpcode::Sec:
    return intervalSec(a);
  case EvalOpcode::Csc:
    return intervalCsc(a);
  case EvalOpcode::Asin:
    return intervalArcsin(a);
  case EvalOpcode::Acos:
    return intervalArccos(a);
  case EvalOpcode::Atan:
    return intervalArctan(a);
  case EvalOpcode::Acot:
    return intervalArccot(a);
  case EvalOpcode::Asec:
    return intervalArcsec(a);
  case EvalOpcode::Acsc:
    return intervalArccsc(a);
  case EvalOpcode::Sinh:
    return intervalSinh(a);
  case EvalOpcode::Cosh:
    return intervalCosh(a);
  case EvalOpcode::Tanh:
    return intervalTanh(a);
  case EvalOpcode::Coth:
    return intervalCoth(a);
  case EvalOpcode::Sech:
    return intervalSech(a);
  case EvalOpcode::Csch:
    return intervalCsch(a);
  case EvalOpcode::Asinh:
    return intervalArcsinh(a);
  case EvalOpcode::Acosh:
    return intervalArccosh(a);
  case EvalOpcode::Atanh:
    return intervalArctanh(a);
  case EvalOpcode::Acoth:
    return intervalArccoth(a);
  case EvalOpcode::Asech:
    return intervalArcsech(a);
  case EvalOpcode::Acsch:
    return intervalArccsch(a);
  default:
    return a;
  }
}

// The interval machine: the same program over pairs; every operation encloses its results.
IntervalValue runInterval(const EvalProgram* program, IntervalValue* slots) {
  if (!program || !program->wellFormed) return undefinedInterval();
  IntervalValue stack[kStackSize];
  int sp = 0;
  IntervalValue a{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (const EvalInstruction& in : program->code) {
    switch (in.opcode) {
    case EvalOpcode::PushConstant:
      stack[sp++] = a;
      a = point(in.constant);
      break;
    case EvalOpcode::PushSlot:
      stack[sp++] = a;
      a = slots[in.slot];
      break;
    case EvalOpcode::Store:
      slots[in.slot] = a;
      break;
    case EvalOpcode::Swap:
      std::swap(a, stack[sp - 1]);
      break;
    case EvalOpcode::PushUCache:
    case EvalOpcode::PushVCache:
    case EvalOpcode::Nop:
      break;
    case EvalOpcode::Stop:
      if (a.lower > a.upper) std::swap(a.lower, a.upper);
      return a;
    default:
      if (stackEffect(in.opcode) < 0)
        a = intervalBinary(in.opcode, stack[--sp], a);
      else
        a = intervalUnary(in.opcode, a);
      break;
    }
    if (isUndefined(a)) return undefinedInterval();
    if (sp >= kStackLimit) {
      raiseError(Error::GraphMemory);
      return undefinedInterval();
    }
  }
  return undefinedInterval();
}

} // namespace

Evaluator::Evaluator(ObjectPtr tree) : tree_(std::move(tree)) {}
Evaluator::~Evaluator() = default;

double Evaluator::evalU(double u) const {
  NumericState& s = numericState();
  s.slots[Slot::U] = u;
  s.slots[Slot::Animation] = s.animationValue;
  return runPoint(program_.get(), s.slots.data());
}

double Evaluator::evalUVXYZ(double u, double v, double x, double y, double z) const {
  NumericState& s = numericState();
  double* slots = s.slots.data();
  slots[Slot::U] = u;
  slots[Slot::V] = v;
  slots[Slot::X] = x;
  slots[Slot::Y] = y;
  slots[Slot::Z] = z;
  slots[Slot::Animation] = s.animationValue;
  return runPoint(program_.get(), slots);
}

double Evaluator::evalGridPoint(int i, int j, GridBlock& block) const {
  if (!block.prepared || i < 0 || j < 0 || i >= std::max(block.uCount, 1) || j >= std::max(block.vCount, 1))
    return kNaN;
  block.i = i;
  block.j = j;
  double* values = block.values.data();
  values[Slot::U] = values[Slot::X] = block.uStart + i * block.uStep;
  values[Slot::V] = values[Slot::Y] = block.vStart + j * block.vStep;
  values[Slot::Animation] = numericState().animationValue;
  const GridView view{
      values, block.slotCount, block.uCount, block.vCount, static_cast<int>(block.uPrograms.size()), i, j};
  return runPoint(program_.get(), values, &view);
}

IntervalValue Evaluator::evalIntervalU(double low, double high) const {
  NumericState& s = numericState();
  s.intervalSlots[Slot::U] = {low, high};
  s.intervalSlots[Slot::Animation] = point(s.animationValue);
  return runInterval(program_.get(), s.intervalSlots.data());
}

IntervalValue Evaluator::evalIntervalXY(double xLow, double xHigh, double yLow, double yHigh) const {
  NumericState& s = numericState();
  s.intervalSlots[Slot::X] = {xLow, xHigh};
  s.intervalSlots[Slot::Y] = {yLow, yHigh};
  s.intervalSlots[Slot::Animation] = point(s.animationValue);
  return runInterval(program_.get(), s.intervalSlots.data());
}

IntervalValue Evaluator::evalIntervalXYZ(double xLow, double xHigh, double yLow, double yHigh, double zLow,
                                         double zHigh) const {
  NumericState& s = numericState();
  s.intervalSlots[Slot::X] = {xLow, xHigh};
  s.intervalSlots[Slot::Y] = {yLow, yHigh};
  s.intervalSlots[Slot::Z] = {zLow, zHigh};
  s.intervalSlots[Slot::Animation] = point(s.animationValue);
  return runInterval(program_.get(), s.intervalSlots.data());
}

void Evaluator::renameVariable(std::uint16_t from, std::uint16_t to) {
  vexmar::renameVariable(*tree_, from, to);
  program_.reset();
}

bool Evaluator::dependsOnVariable(std::uint16_t code) const {
  return vexmar::dependsOnVariable(*tree_, code);
}

bool Evaluator::containsFactorial() const {
  for (const MathObject* n = tree_.get(); n; n = nextPreorder(n, *tree_))
    if (n->kind == ObjectKind::fact) return true;
  return false;
}

void prepareGrid(double uStart, double vStart, double uStep, double vStep, int uCount, int vCount,
                 GridBlock& block) {
  uCount = std::max(uCount, 0);
  vCount = std::max(vCount, 0);
  if (block.prepared && block.uStart == uStart && block.vStart == vStart && block.uStep == uStep &&
      block.vStep == vStep && block.uCount == uCount && block.vCount == vCount)
    return;
  const std::size_t uCached = block.uPrograms.size() * static_cast<std::size_t>(uCount);
  const std::size_t vCached = block.vPrograms.size() * static_cast<std::size_t>(vCount);
  block.values.resize(static_cast<std::size_t>(block.slotCount) + uCached + vCached);
  block.uStart = uStart;
  block.vStart = vStart;
  block.uStep = uStep;
  block.vStep = vStep;
  block.uCount = uCount;
  block.vCount = vCount;
  block.prepared = true;
  double* values = block.values.data();
  // Programs store only into shared and derived slots, so the animation slot holds for every run.
  values[Slot::Animation] = numericState().animationValue;
  const std::size_t base = static_cast<std::size_t>(block.slotCount);
  for (std::size_t k = 0; k < block.uPrograms.size(); ++k) {
    for (int i = 0; i < uCount; ++i) {
      values[Slot::U] = uStart + i * uStep;
      values[base + k * static_cast<std::size_t>(uCount) + static_cast<std::size_t>(i)] =
          runPoint(&block.uPrograms[k], values);
    }
  }
  for (std::size_t k = 0; k < block.vPrograms.size(); ++k) {
    for (int j = 0; j < vCount; ++j) {
      values[Slot::V] = vStart + j * vStep;
      values[base + uCached + k * static_cast<std::size_t>(vCount) + static_cast<std::size_t>(j)] =
          runPoint(&block.vPrograms[k], values);
    }
  }
}

int compileBatch(std::initializer_list<Evaluator*> evaluators) {
  CompileBatch batch(false);
  for (Evaluator* e : evaluators)
    if (e) batch.compile(*e);
  const int slots = batch.finish();
  numericState().ensureSlots(slots);
  return slots;
}

std::unique_ptr<GridBlock> compileGridBatch(std::initializer_list<Evaluator*> evaluators) {
  CompileBatch batch(true);
  for (Evaluator* e : evaluators)
    if (e) batch.compile(*e);
  int slots = batch.finish();
  auto block = std::make_unique<GridBlock>();
  // Each side program is a batch of its own: its shared slots are only used while it runs.
  auto side = [&](const MathObject* tree, std::vector<EvalProgram>& into) {
    CompileBatch own(false);
    into.emplace_back();
    own.compile(*tree, into.back());
    slots = std::max(slots, own.finish());
  };
  for (const MathObject* t : batch.uOnly()) side(t, block->uPrograms);
  for (const MathObject* t : batch.vOnly()) side(t, block->vPrograms);
  block->slotCount = slots;
  block->values.assign(static_cast<std::size_t>(slots), 0.0);
  numericState().ensureSlots(slots);
  return block;
}

} // namespace vexmar
