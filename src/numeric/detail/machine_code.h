#pragma once

// What the machines run: a program's instructions with the commonest pairs joined. A push followed
// by a binary operation marked in eval_opcodes.def's fused column becomes one instruction that
// takes its right operand from itself: "push 3; multiply" runs as MultiplyConstant 3, "push slot
// 4; add" as AddSlot 4. Every program is kept as compiled (its listing, and what the compiler and
// tests read); EvalProgram::finish derives this form from it.

#include "numeric/interval.h"

#include <cstdint>

namespace vexmar::detail {

enum class MachineOpcode : std::uint32_t {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) name,
#include "numeric/eval_opcodes.def"
#define VEXMAR_FUSED_None(name)
#define VEXMAR_FUSED_Constant(name) name##Constant,
#define VEXMAR_FUSED_Operand(name) name##Constant, name##Slot,
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) VEXMAR_FUSED_##fused(name)
#include "numeric/eval_opcodes.def"
#undef VEXMAR_FUSED_Operand
#undef VEXMAR_FUSED_Constant
#undef VEXMAR_FUSED_None
};

inline constexpr int kMachineOpcodeCount = 0
#define VEXMAR_FUSED_None
#define VEXMAR_FUSED_Constant +1
#define VEXMAR_FUSED_Operand +2
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) +1 VEXMAR_FUSED_##fused
#include "numeric/eval_opcodes.def"
#undef VEXMAR_FUSED_Operand
#undef VEXMAR_FUSED_Constant
#undef VEXMAR_FUSED_None
    ;

struct MachineInstruction {
  MachineOpcode opcode;
  std::int32_t slot;       ///< as the instruction's; a fused Slot form's operand
  double constant;         ///< as the instruction's; a fused Constant form's operand
  IntervalValue enclosure; ///< the constant's enclosure
};

} // namespace vexmar::detail
