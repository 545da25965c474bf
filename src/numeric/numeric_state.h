#pragma once

#include "numeric/error_word.h"
#include "numeric/interval.h"
#include "numeric/parameter_list.h"

#include <atomic>
#include <vector>

namespace vexmar {

/// Fixed slots of the slot array; shared subexpressions of a batch follow from kFirstSharedSlot.
namespace Slot {
inline constexpr int U = 0;
inline constexpr int V = 1;
inline constexpr int Animation = 2;
inline constexpr int X = 3;
inline constexpr int Y = 4;
inline constexpr int Z = 5;
inline constexpr int R = 6;
inline constexpr int Rho = 7;
inline constexpr int Theta = 8;
inline constexpr int Phi = 9;
} // namespace Slot
inline constexpr int kFirstSharedSlot = 10;

/// The numeric engine's process-wide state: the slot array every evaluator reads and writes,
/// the animation, the parameters the compiler bakes into programs, and the error word.
struct NumericState {
  /// Point evaluation's view of the slots; only ever grows.
  std::vector<double> slots = std::vector<double>(kFirstSharedSlot, 0.0);
  /// Interval evaluation's view, one pair per slot.
  std::vector<IntervalValue> intervalSlots =
      std::vector<IntervalValue>(kFirstSharedSlot, IntervalValue{0.0, 0.0});
  /// The animation slider's value, read live through slot 2.
  double animationValue = 0.0;
  /// Character code of the animated letter, compared as a double; n until the user picks another.
  double animatedVariable = 'n';
  ParameterList parameters;
  ErrorWord errors;
  /// Set by an interval routine whose argument reached outside its domain over a stretch (the
  /// square root of [-1, 4]): the enclosure then holds the values of the defined part only, and
  /// a region drawn from it must not be filled where the relation has no value. Callers clear it.
  bool partlyUndefined = false;

  /// Grows both views to at least `count` slots.
  void ensureSlots(int count);
};

namespace detail {
/// Made on first use; after that every evaluation reads it through this pointer, with no guard
/// nor call in its way.
inline std::atomic<NumericState*> numericStateInstance{nullptr};
[[gnu::cold, gnu::noinline]] NumericState& firstNumericState();
} // namespace detail

/// Inline: every evaluation reads it.
[[nodiscard]] inline NumericState& numericState() {
  NumericState* state = detail::numericStateInstance.load(std::memory_order_acquire);
  if (!state) [[unlikely]]
    state = &detail::firstNumericState();
  return *state;
}
void resetNumericState();

} // namespace vexmar
