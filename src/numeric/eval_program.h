#pragma once

#include "numeric/detail/machine_code.h"
#include "numeric/interval.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace vexmar {

/// The instructions of the evaluation machine, listed once in eval_opcodes.def; the values are the
/// stored opcode numbers, given by the order of the list.
enum class EvalOpcode : std::uint32_t {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) name,
#include "numeric/eval_opcodes.def"
};
/// One for each row of the list.
inline constexpr int kOpcodeCount = 0
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) +1
#include "numeric/eval_opcodes.def"
    ;

/// How an opcode moves the value stack: +1 pushes the accumulator, -1 pops an operand.
[[nodiscard]] int stackEffect(EvalOpcode op);
[[nodiscard]] std::string_view opcodeName(EvalOpcode op);

/// Depth of the value stack a program may not reach: the compiler refuses such a program with the
/// graph-memory error, and the machines do not run it.
inline constexpr int kStackLimit = 199;

struct EvalInstruction {
  EvalOpcode opcode = EvalOpcode::Stop;
  std::int32_t slot = 0; ///< PushSlot, Store, PushUCache, PushVCache; RationalPower: q of p/q
  double constant = 0.0; ///< PushConstant: the value point evaluation uses; RationalPower: p of p/q
  /// PushConstant: an enclosure of the real number the constant stands for, which interval
  /// evaluation uses. Until finish() the empty (+inf, -inf), which it makes the constant itself.
  IntervalValue enclosure{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
};

/// A postfix program for the accumulator machine; always ends with Stop.
struct EvalProgram {
  std::vector<EvalInstruction> code;
  /// The form the machines run, made by finish().
  std::vector<detail::MachineInstruction> machineCode;
  /// The deepest the value stack gets, found when the program is finished.
  int maxStackDepth = 0;
  /// False when an operation would pop an empty stack: such a program evaluates to NaN.
  bool wellFormed = true;

  /// Appends Stop, works out the stack depth, gives constants without an enclosure their own, and
  /// makes the machine code.
  void finish();
  /// Whether the machines can run the program: well formed, and within the value stack.
  [[nodiscard]] bool runnable() const { return wellFormed && maxStackDepth < kStackLimit; }
  /// Finished and runnable: the one test an evaluation makes.
  bool ready = false;
  /// One instruction a line: "3: push slot 10".
  [[nodiscard]] std::string listing() const;
};

} // namespace vexmar
