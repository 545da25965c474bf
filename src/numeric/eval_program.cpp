#include "numeric/eval_program.h"

#include "numeric/detail/machines.h"

#include <algorithm>
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
  MachineOpcode withConstant = MachineOpcode::Stop;
  MachineOpcode withSlot = MachineOpcode::Stop;
  MachineOpcode withSlotConstant = MachineOpcode::Stop;
  MachineOpcode withSlotSlot = MachineOpcode::Stop;
  MachineOpcode withOfSlot = MachineOpcode::Stop;
};

constexpr FusedForms kFusedForms[] = {
#define VEXMAR_FORM(name, form, routine) .with##form = MachineOpcode::name##form,
#define VEXMAR_OPCODE(name, listing, stack, shape, point, interval, fused)                                   \
  FusedForms{VEXMAR_ALL_FORMS(VEXMAR_FORM, name, shape, fused, point)},
#include "numeric/eval_opcodes.def"
#undef VEXMAR_FORM
};

MachineInstruction machineInstruction(const EvalInstruction& i) {
  return {static_cast<MachineOpcode>(i.opcode), i.slot, 0, i.constant, i.enclosure};
}

// A push of a NaN constant would have stopped a program before the operation saw it, and some
// operations (a NaN power of 1 is 1) would not pass it on: such a push is not joined.
bool joinable(const EvalInstruction& i) {
  return i.opcode == EvalOpcode::PushConstant && !std::isnan(i.constant) && !isUndefined(i.enclosure);
}

bool isPushSlot(const EvalInstruction& i) { return i.opcode == EvalOpcode::PushSlot; }

// The longest run at `code[n]` that one fused instruction does, or a copy of the instruction.
MachineInstruction joined(const std::vector<EvalInstruction>& code, std::size_t& n) {
  const EvalInstruction& i = code[n];
  if (n + 2 < code.size() && isPushSlot(i)) {
    const EvalInstruction& second = code[n + 1];
    const FusedForms& forms = kFusedForms[static_cast<std::size_t>(code[n + 2].opcode)];
    if (joinable(second) && forms.withSlotConstant != MachineOpcode::Stop) {
      n += 2;
      return {forms.withSlotConstant, i.slot, 0, second.constant, second.enclosure};
    }
    if (isPushSlot(second) && forms.withSlotSlot != MachineOpcode::Stop) {
      n += 2;
      return {forms.withSlotSlot, i.slot, second.slot, 0.0, {0.0, 0.0}};
    }
  }
  if (n + 1 < code.size()) {
    const FusedForms& forms = kFusedForms[static_cast<std::size_t>(code[n + 1].opcode)];
    if (joinable(i) && forms.withConstant != MachineOpcode::Stop) {
      ++n;
      return {forms.withConstant, 0, 0, i.constant, i.enclosure};
    }
    if (isPushSlot(i) && forms.withSlot != MachineOpcode::Stop) {
      ++n;
      return {forms.withSlot, i.slot, 0, 0.0, {0.0, 0.0}};
    }
    if (isPushSlot(i) && forms.withOfSlot != MachineOpcode::Stop) {
      ++n;
      return {forms.withOfSlot, i.slot, 0, 0.0, {0.0, 0.0}};
    }
  }
  return machineInstruction(i);
}

// The slot whose value is the argument of a sine or cosine at `n`, or -1: the instruction reads
// it (SinOfSlot), or a store of the accumulator into it comes just before.
int argumentSlot(const std::vector<MachineInstruction>& code, std::size_t n) {
  const MachineOpcode op = code[n].opcode;
  if (op == MachineOpcode::SinOfSlot || op == MachineOpcode::CosOfSlot) return code[n].slot;
  if ((op == MachineOpcode::Sin || op == MachineOpcode::Cos) && n > 0 &&
      code[n - 1].opcode == MachineOpcode::Store)
    return code[n - 1].slot;
  return -1;
}

bool isSine(MachineOpcode op) { return op == MachineOpcode::Sin || op == MachineOpcode::SinOfSlot; }

// sin s and cos s of one slot s, the second read from the slot later on, take one call: the first
// computes both and keeps the other, which the second pushes. One pair is open at a time.
std::vector<MachineInstruction> pairSinesWithCosines(const std::vector<MachineInstruction>& code) {
  std::vector<MachineInstruction> paired;
  paired.reserve(code.size() + 1);
  std::size_t openUntil = 0; // the instruction that takes the kept value, while a pair is open
  std::vector<std::size_t> takers;
  for (std::size_t n = 0; n < code.size(); ++n) {
    if (std::find(takers.begin(), takers.end(), n) != takers.end()) {
      const bool cosine = code[n].opcode == MachineOpcode::CosOfSlot;
      paired.push_back({cosine ? MachineOpcode::PushKeptCos : MachineOpcode::PushKeptSin,
                        code[n].slot,
                        0,
                        0.0,
                        {0.0, 0.0}});
      continue;
    }
    const int slot = n >= openUntil ? argumentSlot(code, n) : -1;
    std::size_t partner = 0;
    if (slot >= 0) {
      const MachineOpcode wanted =
          isSine(code[n].opcode) ? MachineOpcode::CosOfSlot : MachineOpcode::SinOfSlot;
      for (std::size_t m = n + 1; m < code.size(); ++m) {
        if (code[m].opcode == MachineOpcode::Store && code[m].slot == slot) break;
        if (code[m].opcode == wanted && code[m].slot == slot) {
          partner = m;
          break;
        }
      }
    }
    if (partner == 0) {
      paired.push_back(code[n]);
      continue;
    }
    if (code[n].opcode == MachineOpcode::SinOfSlot || code[n].opcode == MachineOpcode::CosOfSlot)
      paired.push_back({MachineOpcode::PushSlot, slot, 0, 0.0, {0.0, 0.0}});
    paired.push_back({isSine(code[n].opcode) ? MachineOpcode::SinKeepingCos : MachineOpcode::CosKeepingSin,
                      0,
                      0,
                      0.0,
                      {0.0, 0.0}});
    takers.push_back(partner);
    openUntil = partner + 1;
  }
  return paired;
}

// `finalDepth` values on the stack at the end: the first is the accumulator the machine starts
// with, and any more were passed through by a kind and are checked.
std::vector<MachineInstruction> machineCodeOf(const std::vector<EvalInstruction>& code, int finalDepth) {
  std::vector<MachineInstruction> machine;
  machine.reserve(code.size());
  for (std::size_t n = 0; n < code.size(); ++n) machine.push_back(joined(code, n));
  machine = pairSinesWithCosines(machine);
  if (finalDepth <= 1 && !machine.empty() && machine.back().opcode == MachineOpcode::Stop)
    machine.back().opcode = MachineOpcode::Return;
  if (const void* const* entries = detail::pointMachineEntries())
    for (MachineInstruction& i : machine) i.pointEntry = entries[static_cast<std::size_t>(i.opcode)];
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
  machineCode = machineCodeOf(code, depth);
  ready = runnable();
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
