#include "numeric/evaluator.h"

#include "numeric/compile_batch.h"
#include "numeric/detail/interval_kernels.h"
#include "numeric/detail/machines.h"
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

// The machine's own routines named in eval_opcodes.def; a binary one takes the popped operand first.
// An undefined value makes the whole value undefined: the point machine lets NaN flow to the end
// rather than test every instruction, so the routines that would turn a NaN operand into a number
// (comparisons, logic, pow(NaN, 0), hypot(inf, NaN), drop) give NaN for one.
inline bool eitherUndefined(double p, double q) { return p != p || q != q; }
inline double sum(double popped, double a) { return popped + a; }
inline double product(double popped, double a) { return popped * a; }
inline double quotient(double popped, double a) { return popped / a; }
// Small integer exponents are multiplied out: the commonest powers, and the runtime's pow costs
// many multiplications.
inline double powerOf(double base, double exponent) {
  if (exponent == 2) return base * base;
  if (eitherUndefined(base, exponent)) return kNaN;
  if (exponent >= kLeastMultipliedExponent && exponent <= kGreatestMultipliedExponent) {
    const int k = static_cast<int>(exponent);
    if (k == exponent) return integerPower(base, k);
  }
  return power(base, exponent);
}
// The angle of the point (x, y), x pushed first.
inline double angleAt(double x, double y) { return angleOf(y, x); }
inline double hypotOf(double p, double q) { return eitherUndefined(p, q) ? kNaN : std::hypot(p, q); }
inline double drop(double popped, double a) { return popped != popped ? popped : a; }
inline double negate(double a) { return -a; }
inline double sign(double a) { return a > 0 ? 1.0 : a < 0 ? -1.0 : a; }
inline double truth(bool holds) { return holds ? 1.0 : 0.0; }
inline double lessThan(double popped, double a) {
  return eitherUndefined(popped, a) ? kNaN : truth(popped < a);
}
inline double greaterThan(double popped, double a) {
  return eitherUndefined(popped, a) ? kNaN : truth(popped > a);
}
inline double equalTo(double popped, double a) {
  return eitherUndefined(popped, a) ? kNaN : truth(popped == a);
}
inline double both(double popped, double a) {
  return eitherUndefined(popped, a) ? kNaN : truth(popped != 0 && a != 0);
}
inline double either(double popped, double a) {
  return eitherUndefined(popped, a) ? kNaN : truth(popped != 0 || a != 0);
}

} // namespace

namespace upward {
namespace {

inline IntervalValue intervalAngleAt(IntervalValue x, IntervalValue y) { return upward::intervalAngle(y, x); }
// From the dropped operand's lower bound to the kept value's upper one, as cmut's literal shows;
// a literal written high end first is turned round.
inline IntervalValue intervalDrop(IntervalValue popped, IntervalValue a) {
  if (popped.lower <= a.upper) return {popped.lower, a.upper};
  return {a.lower, popped.upper};
}

} // namespace
} // namespace upward

namespace {

// Expands OP(name, body) for one row of eval_opcodes.def. An arithmetic row's body applies its
// routine to the accumulator `a` and, if binary, to the operand popped off `stack` (a rational
// row's, to the exponent the instruction holds); a control row's
// body is the machine's own, the macro named by `prefix` and the row's name. The parentheses
// around `routine` make an empty column an error instead of an instruction that does nothing.
#define VEXMAR_STEP_Control(OP, prefix, name, routine) OP(name, prefix##name)
#define VEXMAR_STEP_Unary(OP, prefix, name, routine) OP(name, a = (routine)(a))
#define VEXMAR_STEP_Binary(OP, prefix, name, routine) OP(name, a = (routine)(*--top, a))
#define VEXMAR_STEP_Rational(OP, prefix, name, routine) OP(name, a = (routine)(a, ip->constant, ip->slot))

// The point machine's control instructions, on the accumulator `a`, the value stack `stack`/`top`
// and the instruction `ip`; shared by the two dispatch loops below so that both run the same code.
#define VEXMAR_POINT_PushConstant                                                                            \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = ip->constant;                                                                                        \
  }
#define VEXMAR_POINT_PushSlot                                                                                \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = slots[ip->slot];                                                                                     \
  }
#define VEXMAR_POINT_Store slots[ip->slot] = a
#define VEXMAR_POINT_Swap std::swap(a, top[-1])
#define VEXMAR_POINT_PushUCache                                                                              \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = grid ? grid->values[grid->uCount * ip->slot + grid->slotCount + grid->i] : kNaN;                     \
  }
#define VEXMAR_POINT_PushVCache                                                                              \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = grid ? grid->values[grid->vCount * ip->slot + grid->uPrograms * grid->uCount + grid->slotCount +     \
                            grid->j]                                                                         \
             : kNaN;                                                                                         \
  }
#define VEXMAR_POINT_Nop
// Values a kind passed through left on the stack (the first slot holds the initial accumulator) must
// be defined too.
#define VEXMAR_POINT_Stop                                                                                    \
  {                                                                                                          \
    for (const double* left = stack + 1; left < top; ++left)                                                 \
      if (*left != *left) return kNaN;                                                                       \
    return a;                                                                                                \
  }

// The interval machine's control instructions. Only grid programs read the caches, and they run
// at points only.
#define VEXMAR_INTERVAL_PushConstant                                                                         \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = ip->enclosure;                                                                                       \
  }
#define VEXMAR_INTERVAL_PushSlot                                                                             \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = slots[ip->slot];                                                                                     \
  }
#define VEXMAR_INTERVAL_Store slots[ip->slot] = a
#define VEXMAR_INTERVAL_Swap std::swap(a, top[-1])
#define VEXMAR_INTERVAL_PushUCache
#define VEXMAR_INTERVAL_PushVCache
#define VEXMAR_INTERVAL_Nop
#define VEXMAR_INTERVAL_Stop                                                                                 \
  {                                                                                                          \
    detail::pin(a.lower, a.upper);                                                                           \
    return a;                                                                                                \
  }

// The fused forms of a binary row (detail/machine_code.h): operands from the instruction itself.
#define VEXMAR_POINT_Constant(routine) a = (routine)(a, ip->constant)
#define VEXMAR_POINT_Slot(routine) a = (routine)(a, slots[ip->slot])
#define VEXMAR_POINT_SlotConstant(routine)                                                                   \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = (routine)(slots[ip->slot], ip->constant);                                                            \
  }
#define VEXMAR_POINT_SlotSlot(routine)                                                                       \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = (routine)(slots[ip->slot], slots[ip->otherSlot]);                                                    \
  }
#define VEXMAR_POINT_OfSlot(routine)                                                                         \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = (routine)(slots[ip->slot]);                                                                          \
  }
// A sine and a cosine of one value from one call (detail/machine_code.h).
#define VEXMAR_POINT_SinKeepingCos                                                                           \
  {                                                                                                          \
    double sine, cosine;                                                                                     \
    ::sincos(a, &sine, &cosine);                                                                             \
    a = sine;                                                                                                \
    kept = cosine;                                                                                           \
  }
#define VEXMAR_POINT_CosKeepingSin                                                                           \
  {                                                                                                          \
    double sine, cosine;                                                                                     \
    ::sincos(a, &sine, &cosine);                                                                             \
    a = cosine;                                                                                              \
    kept = sine;                                                                                             \
  }
#define VEXMAR_POINT_Return return a
#define VEXMAR_POINT_PushKeptCos                                                                             \
  {                                                                                                          \
    *top++ = a;                                                                                              \
    a = kept;                                                                                                \
  }
#define VEXMAR_POINT_PushKeptSin VEXMAR_POINT_PushKeptCos
// A slot may hold an undefined value (an input, say), which the interval routines do not take.
#define VEXMAR_INTERVAL_Constant(routine) a = (routine)(a, ip->enclosure)
#define VEXMAR_INTERVAL_Slot(routine)                                                                        \
  {                                                                                                          \
    const IntervalValue operand = slots[ip->slot];                                                           \
    if (isUndefined(operand)) return undefinedInterval();                                                    \
    a = (routine)(a, operand);                                                                               \
  }
#define VEXMAR_INTERVAL_SlotConstant(routine)                                                                \
  {                                                                                                          \
    const IntervalValue operand = slots[ip->slot];                                                           \
    if (isUndefined(operand)) return undefinedInterval();                                                    \
    *top++ = a;                                                                                              \
    a = (routine)(operand, ip->enclosure);                                                                   \
  }
#define VEXMAR_INTERVAL_SlotSlot(routine)                                                                    \
  {                                                                                                          \
    const IntervalValue first = slots[ip->slot], second = slots[ip->otherSlot];                              \
    if (isUndefined(first) || isUndefined(second)) return undefinedInterval();                               \
    *top++ = a;                                                                                              \
    a = (routine)(first, second);                                                                            \
  }
#define VEXMAR_INTERVAL_OfSlot(routine)                                                                      \
  {                                                                                                          \
    const IntervalValue operand = slots[ip->slot];                                                           \
    if (isUndefined(operand)) return undefinedInterval();                                                    \
    *top++ = a;                                                                                              \
    a = (routine)(operand);                                                                                  \
  }
#define VEXMAR_INTERVAL_Return VEXMAR_INTERVAL_Stop
#define VEXMAR_INTERVAL_SinKeepingCos a = upward::intervalSin(a)
#define VEXMAR_INTERVAL_CosKeepingSin a = upward::intervalCos(a)
#define VEXMAR_INTERVAL_PushKeptCos VEXMAR_INTERVAL_OfSlot(upward::intervalCos)
#define VEXMAR_INTERVAL_PushKeptSin VEXMAR_INTERVAL_OfSlot(upward::intervalSin)

// One case of a switch loop, and one label of a threaded loop (one indirect jump per instruction).
#define VEXMAR_CASE(name, body)                                                                              \
  case detail::MachineOpcode::name:                                                                          \
    body;                                                                                                    \
    break;
#define VEXMAR_POINT_LABEL(name, body)                                                                       \
  op_##name : body;                                                                                          \
  ++ip;                                                                                                      \
  goto * ip->pointEntry;
#define VEXMAR_INTERVAL_LABEL(name, body)                                                                    \
  op_##name : body;                                                                                          \
  if (isUndefined(a)) return undefinedInterval();                                                            \
  ++ip;                                                                                                      \
  goto* kTargets[static_cast<std::uint32_t>(ip->opcode)];

#define VEXMAR_TARGET(name, form, routine) &&op_##name##form,
#define VEXMAR_SPECIALS(OP, prefix)                                                                          \
  OP(SinKeepingCos, prefix##SinKeepingCos)                                                                   \
  OP(CosKeepingSin, prefix##CosKeepingSin)                                                                   \
  OP(PushKeptCos, prefix##PushKeptCos) OP(PushKeptSin, prefix##PushKeptSin) OP(Return, prefix##Return)
#define VEXMAR_POINT_FORM(name, form, routine) VEXMAR_POINT_LABEL(name##form, VEXMAR_POINT_##form(routine))
#define VEXMAR_POINT_FORM_CASE(name, form, routine) VEXMAR_CASE(name##form, VEXMAR_POINT_##form(routine))
#define VEXMAR_INTERVAL_FORM(name, form, routine)                                                            \
  VEXMAR_INTERVAL_LABEL(name##form, VEXMAR_INTERVAL_##form(routine))
#define VEXMAR_INTERVAL_FORM_CASE(name, form, routine)                                                       \
  VEXMAR_CASE(name##form, VEXMAR_INTERVAL_##form(routine))

// The point machine's entries, once it has been asked for them (pointMachineEntries).
const void* const* pointEntries = nullptr;

#if defined(__GNUC__) && !defined(__clang__)
#define VEXMAR_ONE_COPY __attribute__((noinline, noclone))
#else
#define VEXMAR_ONE_COPY __attribute__((noinline))
#endif

// The point machine: one accumulator, a value stack on the frame, no allocation. An undefined
// intermediate value makes the whole value undefined. The compiler keeps programs within the
// stack, so neither machine watches its depth. Each instruction holds the address of its code
// here, so the machine must be one copy: never inlined nor cloned. A null program asks for the
// entries.
VEXMAR_ONE_COPY double runPoint(const detail::MachineInstruction* ip, double* slots, const GridView* grid) {
  double stack[kStackSize];
  double* top = stack;
  double a = kNaN;
  double kept = kNaN; // the other of a sine and cosine computed together
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic" // labels as values
  static const void* const kTargets[detail::kMachineOpcodeCount] = {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) &&op_##name,
#include "numeric/eval_opcodes.def"
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused)                                   \
  VEXMAR_ALL_FORMS(VEXMAR_TARGET, name, shape, fused, point)
#include "numeric/eval_opcodes.def"
      &&op_SinKeepingCos, &&op_CosKeepingSin, &&op_PushKeptCos, &&op_PushKeptSin, &&op_Return,
  };
  if (!ip) [[unlikely]] {
    pointEntries = kTargets;
    return kNaN;
  }
  goto * ip->pointEntry;
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused)                                   \
  VEXMAR_STEP_##shape(VEXMAR_POINT_LABEL, VEXMAR_POINT_, name, point)                                        \
      VEXMAR_ALL_FORMS(VEXMAR_POINT_FORM, name, shape, fused, point)
#include "numeric/eval_opcodes.def"
  VEXMAR_SPECIALS(VEXMAR_POINT_LABEL, VEXMAR_POINT_)
#pragma GCC diagnostic pop
#else
  if (!ip) return kNaN;
  for (;; ++ip) {
    switch (ip->opcode) {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused)                                   \
  VEXMAR_STEP_##shape(VEXMAR_CASE, VEXMAR_POINT_, name, point)                                               \
      VEXMAR_ALL_FORMS(VEXMAR_POINT_FORM_CASE, name, shape, fused, point)
#include "numeric/eval_opcodes.def"
      VEXMAR_SPECIALS(VEXMAR_CASE, VEXMAR_POINT_)
    }
  }
#endif
}

// The interval machine: the same program over pairs, in upward rounding; every operation encloses
// the true values of its results.
IntervalValue runInterval(const detail::MachineInstruction* ip, IntervalValue* slots) {
  using namespace upward;
  detail::UpwardRounding rounding;
  IntervalValue stack[kStackSize];
  IntervalValue* top = stack;
  IntervalValue a{kInfinity, -kInfinity};
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic" // labels as values
  static const void* const kTargets[detail::kMachineOpcodeCount] = {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) &&op_##name,
#include "numeric/eval_opcodes.def"
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused)                                   \
  VEXMAR_ALL_FORMS(VEXMAR_TARGET, name, shape, fused, point)
#include "numeric/eval_opcodes.def"
      &&op_SinKeepingCos, &&op_CosKeepingSin, &&op_PushKeptCos, &&op_PushKeptSin, &&op_Return,
  };
  goto* kTargets[static_cast<std::uint32_t>(ip->opcode)];
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused)                                   \
  VEXMAR_STEP_##shape(VEXMAR_INTERVAL_LABEL, VEXMAR_INTERVAL_, name, upward::interval)                       \
      VEXMAR_ALL_FORMS(VEXMAR_INTERVAL_FORM, name, shape, fused, upward::interval)
#include "numeric/eval_opcodes.def"
  VEXMAR_SPECIALS(VEXMAR_INTERVAL_LABEL, VEXMAR_INTERVAL_)
#pragma GCC diagnostic pop
#else
  for (;; ++ip) {
    switch (ip->opcode) {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused)                                   \
  VEXMAR_STEP_##shape(VEXMAR_CASE, VEXMAR_INTERVAL_, name, upward::interval)                                 \
      VEXMAR_ALL_FORMS(VEXMAR_INTERVAL_FORM_CASE, name, shape, fused, upward::interval)
#include "numeric/eval_opcodes.def"
      VEXMAR_SPECIALS(VEXMAR_CASE, VEXMAR_INTERVAL_)
    }
    if (isUndefined(a)) return undefinedInterval();
  }
#endif
}

#undef VEXMAR_INTERVAL_FORM_CASE
#undef VEXMAR_INTERVAL_FORM
#undef VEXMAR_POINT_FORM_CASE
#undef VEXMAR_POINT_FORM
#undef VEXMAR_SPECIALS
#undef VEXMAR_TARGET
#undef VEXMAR_ONE_COPY
#undef VEXMAR_INTERVAL_PushKeptSin
#undef VEXMAR_INTERVAL_PushKeptCos
#undef VEXMAR_INTERVAL_Return
#undef VEXMAR_INTERVAL_CosKeepingSin
#undef VEXMAR_INTERVAL_SinKeepingCos
#undef VEXMAR_INTERVAL_OfSlot
#undef VEXMAR_INTERVAL_SlotSlot
#undef VEXMAR_INTERVAL_SlotConstant
#undef VEXMAR_INTERVAL_Slot
#undef VEXMAR_INTERVAL_Constant
#undef VEXMAR_POINT_PushKeptSin
#undef VEXMAR_POINT_PushKeptCos
#undef VEXMAR_POINT_Return
#undef VEXMAR_POINT_CosKeepingSin
#undef VEXMAR_POINT_SinKeepingCos
#undef VEXMAR_POINT_OfSlot
#undef VEXMAR_POINT_SlotSlot
#undef VEXMAR_POINT_SlotConstant
#undef VEXMAR_POINT_Slot
#undef VEXMAR_POINT_Constant
#undef VEXMAR_INTERVAL_LABEL
#undef VEXMAR_POINT_LABEL
#undef VEXMAR_CASE
#undef VEXMAR_INTERVAL_Stop
#undef VEXMAR_INTERVAL_Nop
#undef VEXMAR_INTERVAL_PushVCache
#undef VEXMAR_INTERVAL_PushUCache
#undef VEXMAR_INTERVAL_Swap
#undef VEXMAR_INTERVAL_Store
#undef VEXMAR_INTERVAL_PushSlot
#undef VEXMAR_INTERVAL_PushConstant
#undef VEXMAR_POINT_Stop
#undef VEXMAR_POINT_Nop
#undef VEXMAR_POINT_PushVCache
#undef VEXMAR_POINT_PushUCache
#undef VEXMAR_POINT_Swap
#undef VEXMAR_POINT_Store
#undef VEXMAR_POINT_PushSlot
#undef VEXMAR_POINT_PushConstant
#undef VEXMAR_STEP_Rational
#undef VEXMAR_STEP_Binary
#undef VEXMAR_STEP_Unary
#undef VEXMAR_STEP_Control

// A program the machines cannot run is undefined everywhere; one too deep for the stack also
// reports the graph-memory error (the compiler has reported it already for its own programs).
bool cannotRun(const EvalProgram* program) {
  if (program && program->wellFormed && program->maxStackDepth >= kStackLimit) raiseError(Error::GraphMemory);
  return false;
}

inline bool canRun(const EvalProgram* program) {
  if (program && program->ready) [[likely]]
    return true;
  return cannotRun(program);
}

inline double runPoint(const EvalProgram* program, double* slots, const GridView* grid = nullptr) {
  return canRun(program) ? runPoint(program->machineCode.data(), slots, grid) : kNaN;
}

inline IntervalValue runInterval(const EvalProgram* program, IntervalValue* slots) {
  return canRun(program) ? runInterval(program->machineCode.data(), slots) : undefinedInterval();
}

IntervalValue point(double v) { return {v, v}; }

} // namespace

namespace detail {

const void* const* pointMachineEntries() {
  if (!pointEntries) (void)runPoint(static_cast<const MachineInstruction*>(nullptr), nullptr, nullptr);
  return pointEntries;
}

double runPointProgram(const EvalProgram& program, double* slots) { return runPoint(&program, slots); }

IntervalValue runIntervalProgram(const EvalProgram& program, IntervalValue* slots) {
  return runInterval(&program, slots);
}

} // namespace detail

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
