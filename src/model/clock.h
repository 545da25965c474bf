#pragma once

#include <cstdint>

namespace vexmar {

/// The millisecond tick count that time-slices graph work. The program reads a steady clock;
/// tests install a manual one so that budgets run out exactly when they say.
class Clock {
public:
  virtual ~Clock() = default;
  [[nodiscard]] virtual std::int64_t nowMs() = 0;
};

/// Milliseconds of the monotonic system clock.
class SteadyClock final : public Clock {
public:
  [[nodiscard]] std::int64_t nowMs() override;
};

/// A clock that moves only when told: by `advance`, or by a fixed step every time it is read.
class ManualClock final : public Clock {
public:
  explicit ManualClock(std::int64_t start = 0, std::int64_t stepPerReading = 0)
      : now_(start), step_(stepPerReading) {}
  [[nodiscard]] std::int64_t nowMs() override {
    const std::int64_t now = now_;
    now_ += step_;
    ++readings_;
    return now;
  }
  void advance(std::int64_t ms) { now_ += ms; }
  void setStepPerReading(std::int64_t step) { step_ = step; }
  [[nodiscard]] int readings() const { return readings_; }

private:
  std::int64_t now_;
  std::int64_t step_;
  int readings_ = 0;
};

/// The process's steady clock (kept in the model's state).
[[nodiscard]] Clock& steadyClock();

} // namespace vexmar
