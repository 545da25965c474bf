#pragma once

// What the machines run: a program's instructions with the commonest runs joined. Pushes followed
// by a binary operation marked in eval_opcodes.def's fused column become one instruction that
// takes its operands from itself: "push 3; multiply" runs as MultiplyConstant 3, "push slot 3;
// push 2; power" as PowerSlotConstant 3 2. Every program is kept as compiled (its listing, and what
// the compiler and tests read); EvalProgram::finish derives this form from it.

#include "numeric/interval.h"

#include <cstdint>

namespace vexmar::detail {

// The forms a row gives the machines besides its own: X(name, form, routine) for each. A binary
// row has those its fused column names; every unary row can take its operand from a slot.
//   Constant      "push c; op"                    a = op(a, c)
//   Slot          "push slot s; op"               a = op(a, slot s)
//   SlotConstant  "push slot s; push c; op"       pushes a, then a = op(slot s, c)
//   SlotSlot      "push slot s; push slot t; op"  pushes a, then a = op(slot s, slot t)
//   OfSlot        "push slot s; f"                pushes a, then a = f(slot s)
#define VEXMAR_FORMS_None(X, name, routine)
#define VEXMAR_FORMS_Constant(X, name, routine) X(name, Constant, routine) X(name, SlotConstant, routine)
#define VEXMAR_FORMS_Operand(X, name, routine)                                                               \
  X(name, Constant, routine) X(name, Slot, routine) X(name, SlotConstant, routine) X(name, SlotSlot, routine)
#define VEXMAR_SHAPE_FORMS_Control(X, name, routine)
#define VEXMAR_SHAPE_FORMS_Binary(X, name, routine)
#define VEXMAR_SHAPE_FORMS_Unary(X, name, routine) X(name, OfSlot, routine)
#define VEXMAR_SHAPE_FORMS_Rational(X, name, routine)
#define VEXMAR_ALL_FORMS(X, name, shape, fused, routine)                                                     \
  VEXMAR_FORMS_##fused(X, name, routine) VEXMAR_SHAPE_FORMS_##shape(X, name, routine)

enum class MachineOpcode : std::uint32_t {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) name,
#include "numeric/eval_opcodes.def"
#define VEXMAR_FORM(name, form, routine) name##form,
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused)                                   \
  VEXMAR_ALL_FORMS(VEXMAR_FORM, name, shape, fused, point)
#include "numeric/eval_opcodes.def"
#undef VEXMAR_FORM
  // The sine and cosine of one slot's value from one call: the first computes both and keeps the
  // one it does not leave in the accumulator, which the second pushes (see pairSinesWithCosines).
  // The interval machine keeps nothing: it computes the second from the slot.
  SinKeepingCos,
  CosKeepingSin,
  PushKeptCos,
  PushKeptSin,
  // Stop where no value passed through is left on the stack to check.
  Return,
};

inline constexpr int kMachineOpcodeCount = static_cast<int>(MachineOpcode::Return) + 1;

struct MachineInstruction {
  MachineOpcode opcode;
  std::int32_t slot;       ///< as the instruction's; a fused form's first slot operand
  std::int32_t otherSlot;  ///< a SlotSlot form's second slot operand
  double constant;         ///< as the instruction's; a fused form's constant operand
  IntervalValue enclosure; ///< the constant's enclosure
  /// Where the point machine's code for the opcode begins, where the compiler can jump to labels:
  /// the machine goes from instruction to instruction without looking the opcode up.
  const void* pointEntry = nullptr;
};

} // namespace vexmar::detail
