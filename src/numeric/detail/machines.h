#pragma once

#include "numeric/eval_program.h"
#include "numeric/interval.h"

namespace vexmar::detail {

/// Where the point machine's code for each machine opcode begins, for MachineInstruction's
/// pointEntry; null where the compiler cannot jump to labels.
[[nodiscard]] const void* const* pointMachineEntries();
/// The point machine over `slots` (no grid caches); NaN for a program it cannot run.
[[nodiscard]] double runPointProgram(const EvalProgram& program, double* slots);
/// The interval machine over `slots`; (NaN, NaN) for a program it cannot run.
[[nodiscard]] IntervalValue runIntervalProgram(const EvalProgram& program, IntervalValue* slots);

} // namespace vexmar::detail
