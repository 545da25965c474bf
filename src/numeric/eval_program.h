#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexmar {

/// The instructions of the evaluation machine; the values are the stored opcode numbers.
enum class EvalOpcode : std::uint32_t {
  PushConstant = 0,
  PushSlot = 1,
  Store = 2,
  Swap = 3,
  PushUCache = 4,
  PushVCache = 5,
  Add = 6,
  Nop = 7,
  Multiply = 8,
  Divide = 9,
  Power = 10,
  Angle = 11,
  Hypot = 12,
  Drop = 13,
  Negate = 14,
  Abs = 15,
  Sign = 16,
  Sqrt = 17,
  Exp = 18,
  Log10 = 19,
  Ln = 20,
  Factorial = 21,
  Sin = 22,
  Cos = 23,
  Tan = 24,
  Cot = 25,
  Sec = 26,
  Csc = 27,
  Asin = 28,
  Acos = 29,
  Atan = 30,
  Acot = 31,
  Asec = 32,
  Acsc = 33,
  Sinh = 34,
  Cosh = 35,
  Tanh = 36,
  Coth = 37,
  Sech = 38,
  Csch = 39,
  Asinh = 40,
  Acosh = 41,
  Atanh = 42,
  Acoth = 43,
  Asech = 44,
  Acsch = 45,
  Less = 46,
  Greater = 47,
  Equal = 48,
  And = 49,
  Or = 50,
  Stop = 51,
};
inline constexpr int kOpcodeCount = 52;

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
