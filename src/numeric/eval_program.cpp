#include "numeric/eval_program.h"

#include <array>
#include <charconv>

namespace vexmar {
namespace {

struct OpcodeInfo {
  std::string_view name;
  int stack; // change in stack depth
};

// clang-format off
constexpr std::array<OpcodeInfo, kOpcodeCount> kOpcodes = {{
    {"push", +1}, {"push slot", +1}, {"store", 0}, {"swap", 0}, {"push u cache", +1}, {"push v cache", +1},
    {"add", -1}, {"nop", 0}, {"multiply", -1}, {"divide", -1}, {"power", -1}, {"angle", -1}, {"hypot", -1},
    {"drop", -1}, {"negate", 0}, {"abs", 0}, {"sign", 0}, {"sqrt", 0}, {"exp", 0}, {"log10", 0}, {"ln", 0},
    {"factorial", 0}, {"sin", 0}, {"cos", 0}, {"tan", 0}, {"cot", 0}, {"sec", 0}, {"csc", 0},
    {"asin", 0}, {"acos", 0}, {"atan", 0}, {"acot", 0}, {"asec", 0}, {"acsc", 0},
    {"sinh", 0}, {"cosh", 0}, {"tanh", 0}, {"coth", 0}, {"sech", 0}, {"csch", 0},
    {"asinh", 0}, {"acosh", 0}, {"atanh", 0}, {"acoth", 0}, {"asech", 0}, {"acsch", 0},
    {"less", -1}, {"greater", -1}, {"equal", -1}, {"and", -1}, {"or", -1}, {"stop", 0},
}};
// clang-format on

const OpcodeInfo& info(EvalOpcode op) { return kOpcodes[static_cast<std::size_t>(op)]; }

} // namespace

int stackEffect(EvalOpcode op) { return info(op).stack; }
std::string_view opcodeName(EvalOpcode op) { return info(op).name; }

void EvalProgram::finish() {
  if (code.empty() || code.back().opcode != EvalOpcode::Stop) code.push_back({EvalOpcode::Stop, 0, 0.0});
  int depth = 0;
  maxStackDepth = 0;
  wellFormed = true;
  for (const EvalInstruction& i : code) {
    // Swap needs an operand on the stack as much as a binary operation does.
    if ((stackEffect(i.opcode) < 0 || i.opcode == EvalOpcode::Swap) && depth == 0) wellFormed = false;
    depth += stackEffect(i.opcode);
    if (depth > maxStackDepth) maxStackDepth = depth;
  }
}

std::string EvalProgram::listing() const {
  std::string text;
  char line[64];
  for (std::size_t n = 0; n < code.size(); ++n) {
    const EvalInstruction& i = code[n];
    std::string operand;
    switch (i.opcode) {
    case EvalOpcode::PushConstant: {
      // Locale-independent, as %.17g in the C locale.
      const auto end =
          std::to_chars(line, line + sizeof line, i.constant, std::chars_format::general, 17).ptr;
      operand = " " + std::string(line, end);
      break;
    }
    case EvalOpcode::PushSlot:
    case EvalOpcode::Store:
    case EvalOpcode::PushUCache:
    case EvalOpcode::PushVCache:
      operand = " " + std::to_string(i.slot);
      break;
    default:
      break;
    }
    text += std::to_string(n) + ": " + std::string(opcodeName(i.opcode)) + operand + "\n";
  }
  return text;
}

} // namespace vexmar
