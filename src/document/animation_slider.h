#pragma once

#include "numeric/parameter_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexmar {

/// The range the animation slider sweeps and the letter it animates: what the "Slider Values"
/// dialog sets and a document stores.
struct SliderSettings {
  static constexpr int kValueLimit = 200; ///< lowest and highest lie within ±200
  static constexpr int kMaxSteps = 100;

  int lowest = 0;
  int highest = 10;
  int steps = 10;
  std::uint16_t variable = 'n';

  friend bool operator==(const SliderSettings&, const SliderSettings&) = default;
};

/// Checks the "Slider Values" dialog's fields; on success puts them into `settings` (highest and
/// lowest exchanged when given the wrong way round) and returns nothing, else the message that
/// tells what is wrong, changing nothing.
[[nodiscard]] std::optional<std::string>
acceptSliderValues(int lowest, int highest, int steps, std::string_view variable, SliderSettings& settings);

/// The animation slider: its settings, its position and the sweep that animation takes it on.
/// Positions run from `lowest` to `lowest + steps`; the value at a position is spread evenly from
/// lowest to highest.
class AnimationSlider {
public:
  /// Steps of the animation come at most this often.
  static constexpr std::int64_t kStepIntervalMs = 100;

  [[nodiscard]] const SliderSettings& settings() const { return settings_; }
  /// New settings keep the value's position where it still fits and stop a running animation
  /// when the letter changes.
  void setSettings(const SliderSettings& settings);

  [[nodiscard]] int position() const { return position_; }
  [[nodiscard]] int firstPosition() const { return settings_.lowest; }
  [[nodiscard]] int lastPosition() const { return settings_.lowest + settings_.steps; }
  /// Moves to a position, kept within the slider.
  void setPosition(int position);
  /// The value at the current position.
  [[nodiscard]] double value() const { return valueAt(position_); }
  [[nodiscard]] double valueAt(int position) const;
  /// The position whose value is nearest to `value` (a document's stored value).
  void setValue(double value);

  [[nodiscard]] bool animating() const { return animating_; }
  /// Starts or stops the sweep; a stopped animation leaves the value where it is.
  void setAnimating(bool on, bool playOnce = false);
  [[nodiscard]] int direction() const { return direction_; }

  /// One step of the sweep, when animating, the graphs have finished the current value and the
  /// last step is at least kStepIntervalMs old: the slider moves one position, turning at either
  /// end (or stopping at the last position when playing once). True when the value changed.
  bool step(std::int64_t nowMs, bool graphsComplete);

private:
  SliderSettings settings_;
  int position_ = 0;
  bool animating_ = false;
  bool playOnce_ = false;
  int direction_ = 1;
  std::int64_t lastStepMs_ = 0;
  bool stepped_ = false; ///< lastStepMs_ holds a step's time
};

/// Why a name typed into the "Enter Parameter" dialog cannot be a parameter, in the dialog's own
/// words; nothing when it can.
[[nodiscard]] std::optional<std::string> parameterNameProblem(std::string_view name);

/// The name the "Enter Parameter" dialog suggests: a, b, c, ... past the names already listed in
/// order, skipping e, r and t; empty past w.
[[nodiscard]] std::string suggestedParameterName(const ParameterList& parameters);

} // namespace vexmar
