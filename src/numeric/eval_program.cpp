#include "numeric/eval_program.h"

#include <array>
#include <charconv>

namespace vexmar {
namespace {

// Programs are stored by opcode number: the list may only grow at its end.
static_assert(static_cast<int>(EvalOpcode::PushConstant) == 0 && static_cast<int>(EvalOpcode::Stop) == 51,
              "a row of eval_opcodes.def was inserted or removed above the end");

enum class OpcodeShape { Control, Unary, Binary };

// The machines pop an operand for exactly the binary instructions.
constexpr bool stackFitsShape(int stack, OpcodeShape shape) {
  return shape == OpcodeShape::Control || stack == (shape == OpcodeShape::Binary ? -1 : 0);
}

#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval)                                          \
  static_assert(stackFitsShape(stack, OpcodeShape::shape), #name ": stack effect does not fit its shape");
#include "numeric/eval_opcodes.def"

struct OpcodeInfo {
  std::string_view name;
  int stack; // change in stack depth
};

constexpr std::array<OpcodeInfo, kOpcodeCount> kOpcodes = {{
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval) {listing, stack},
#include "numeric/eval_opcodes.def"
}};

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
