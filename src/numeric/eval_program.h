#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexmar {

/// The instructions of the evaluation machine, listed once in eval_opcodes.def; the values are the
/// stored opcode numbers, given by the order of the list.
enum class EvalOpcode : std::uint32_t {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval) name,
#include "numeric/eval_opcodes.def"
};
/// One for each row of the list.
inline constexpr int kOpcodeCount = 0
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval) +1
#include "numeric/eval_opcodes.def"
    ;

/// How an opcode moves the value stack: +1 pushes the accumulator, -1 pops an operand.
[[nodiscard]] int stackEffect(EvalOpcode op);
[[nodiscard]] std::string_view opcodeName(EvalOpcode op);

struct EvalInstruction {
  EvalOpcode opcode = EvalOpcode::Stop;
  std::int32_t slot = 0; ///< PushSlot, Store, PushUCache, PushVCache
  double constant = 0.0; ///< PushConstant
};

/// A postfix program for the accumulator machine; always ends with Stop.
struct EvalProgram {
  std::vector<EvalInstruction> code;
  /// The deepest the value stack gets, found when the program is finished.
  int maxStackDepth = 0;
  /// False when an operation would pop an empty stack: such a program evaluates to NaN.
  bool wellFormed = true;

  /// Appends Stop and works out the stack depth.
  void finish();
  /// One instruction a line: "3: push slot 10".
  [[nodiscard]] std::string listing() const;
};

/// Depth of the value stack at which evaluation gives up (raising the graph-memory error).
inline constexpr int kStackLimit = 199;

} // namespace vexmar
