#include "numeric/eval_program.h"

#include <array>
#include <charconv>
#include <cmath>

namespace vexmar {
namespace {

// Programs are stored by opcode number: the list may only grow at its end.
static_assert(static_cast<int>(EvalOpcode::PushConstant) == 0 && static_cast<int>(EvalOpcode::Stop) == 51,
              "a row of eval_opcodes.def was inserted or removed above the end");

enum class OpcodeShape { Control, Unary, Binary, Rational };

// The machines pop an operand for exactly the binary instructions.
constexpr bool stackFitsShape(int stack, OpcodeShape shape) {
  return shape == OpcodeShape::Control || stack == (shape == OpcodeShape::Binary ? -1 : 0);
}

#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused)                                   \
  static_assert(stackFitsShape(stack, OpcodeShape::shape), #name ": stack effect does not fit its shape");
#include "numeric/eval_opcodes.def"

struct OpcodeInfo {
  std::string_view name;
  int stack; // change in stack depth
};

constexpr std::array<OpcodeInfo, kOpcodeCount> kOpcodes = {{
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) {listing, stack},
#include "numeric/eval_opcodes.def"
}};

const OpcodeInfo& info(EvalOpcode op) { return kOpcodes[static_cast<std::size_t>(op)]; }

using detail::MachineInstruction;
using detail::MachineOpcode;

// The fused forms of each opcode; Stop where there is none.
struct FusedForms {
  MachineOpcode withConstant;
  MachineOpcode withSlot;
};

#define VEXMAR_FUSED_None(name) {MachineOpcode::Stop, MachineOpcode::Stop},
#define VEXMAR_FUSED_Constant(name) {MachineOpcode::name##Constant, MachineOpcode::Stop},
#define VEXMAR_FUSED_Operand(name) {MachineOpcode::name##Constant, MachineOpcode::name##Slot},
constexpr FusedForms kFusedForms[] = {
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused) VEXMAR_FUSED_##fused(name)
#include "numeric/eval_opcodes.def"
};
#undef VEXMAR_FUSED_Operand
#undef VEXMAR_FUSED_Constant
#undef VEXMAR_FUSED_None

MachineInstruction machineInstruction(const EvalInstruction& i) {
  return {static_cast<MachineOpcode>(i.opcode), i.slot, i.constant, i.enclosure};
}

// A push of a NaN constant stops the program before the operation would see it, and some
// operations (a NaN power of 1 is 1) would not pass it on: such a push is not joined.
std::vector<MachineInstruction> machineCodeOf(const std::vector<EvalInstruction>& code) {
  std::vector<MachineInstruction> machine;
  machine.reserve(code.size());
  for (std::size_t n = 0; n < code.size(); ++n) {
    const EvalInstruction& i = code[n];
    if (n + 1 < code.size()) {
      const FusedForms& forms = kFusedForms[static_cast<std::size_t>(code[n + 1].opcode)];
      if (i.opcode == EvalOpcode::PushConstant && forms.withConstant != MachineOpcode::Stop &&
          !std::isnan(i.constant) && !isUndefined(i.enclosure)) {
        machine.push_back({forms.withConstant, 0, i.constant, i.enclosure});
        ++n;
        continue;
      }
      if (i.opcode == EvalOpcode::PushSlot && forms.withSlot != MachineOpcode::Stop) {
        machine.push_back({forms.withSlot, i.slot, 0.0, {0.0, 0.0}});
        ++n;
        continue;
      }
    }
    machine.push_back(machineInstruction(i));
  }
  return machine;
}

} // namespace

int stackEffect(EvalOpcode op) { return info(op).stack; }
std::string_view opcodeName(EvalOpcode op) { return info(op).name; }

void EvalProgram::finish() {
  if (code.empty() || code.back().opcode != EvalOpcode::Stop) code.push_back({EvalOpcode::Stop, 0, 0.0});
  int depth = 0;
  maxStackDepth = 0;
  wellFormed = true;
  for (EvalInstruction& i : code) {
    if (i.opcode == EvalOpcode::PushConstant && i.enclosure.lower > i.enclosure.upper)
      i.enclosure = {i.constant, i.constant};
    // Swap needs an operand on the stack as much as a binary operation does.
    if ((stackEffect(i.opcode) < 0 || i.opcode == EvalOpcode::Swap) && depth == 0) wellFormed = false;
    depth += stackEffect(i.opcode);
    if (depth > maxStackDepth) maxStackDepth = depth;
  }
  machineCode = machineCodeOf(code);
}

std::string EvalProgram::listing() const {
  std::string text;
  // Locale-independent, as %.17g in the C locale.
  const auto number = [](double value) {
    char digits[32];
    return std::string(
        digits, std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 17).ptr);
  };
  for (std::size_t n = 0; n < code.size(); ++n) {
    const EvalInstruction& i = code[n];
    std::string operand;
    switch (i.opcode) {
    case EvalOpcode::PushConstant:
      operand = " " + number(i.constant);
      break;
    case EvalOpcode::RationalPower:
      operand = " " + number(i.constant) + "/" + std::to_string(i.slot);
      break;
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
