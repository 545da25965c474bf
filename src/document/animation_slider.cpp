#include "document/animation_slider.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace vexmar {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string integerRangeMessage(int low, int high) {
  return "Please enter an integer between " + std::to_string(low) + " and " + std::to_string(high) + ".";
}

} // namespace

std::optional<std::string> acceptSliderValues(int lowest, int highest, int steps, std::string_view variable,
                                              SliderSettings& settings) {
  constexpr int kLimit = SliderSettings::kValueLimit;
  if (lowest < -kLimit || lowest > kLimit || highest < -kLimit || highest > kLimit)
    return integerRangeMessage(-kLimit, kLimit);
  if (steps < 1 || steps > SliderSettings::kMaxSteps)
    return integerRangeMessage(1, SliderSettings::kMaxSteps);
  if (variable.size() != 1 || !isAsciiLetter(variable[0]))
    return "The variable name must be a single letter.";
  if (highest < lowest) std::swap(lowest, highest);
  settings = {lowest, highest, steps, static_cast<std::uint16_t>(static_cast<unsigned char>(variable[0]))};
  return std::nullopt;
}

void AnimationSlider::setSettings(const SliderSettings& settings) {
  const double kept = value();
  if (settings.variable != settings_.variable) animating_ = false;
  settings_ = settings;
  setValue(kept);
}

void AnimationSlider::setPosition(int position) {
  position_ = std::clamp(position, firstPosition(), lastPosition());
}

double AnimationSlider::valueAt(int position) const {
  const SliderSettings& s = settings_;
  return s.lowest + static_cast<double>(s.highest - s.lowest) * (position - s.lowest) / s.steps;
}

void AnimationSlider::setValue(double value) {
  const SliderSettings& s = settings_;
  if (!std::isfinite(value) || s.highest == s.lowest) {
    setPosition(firstPosition());
    return;
  }
  const double steps = (value - s.lowest) * s.steps / (s.highest - s.lowest);
  setPosition(firstPosition() + static_cast<int>(std::lround(std::clamp(steps, 0.0, double(s.steps)))));
}

void AnimationSlider::setAnimating(bool on, bool playOnce) {
  animating_ = on;
  playOnce_ = on && playOnce;
  stepped_ = false;
}

bool AnimationSlider::step(std::int64_t nowMs, bool graphsComplete) {
  if (!animating_ || !graphsComplete) return false;
  if (stepped_ && nowMs < lastStepMs_ + kStepIntervalMs) return false;
  if (playOnce_ && position_ == lastPosition()) {
    animating_ = false;
    return false;
  }
  if (position_ >= lastPosition()) direction_ = -1;
  if (position_ <= firstPosition()) direction_ = 1;
  setPosition(position_ + direction_);
  lastStepMs_ = nowMs;
  stepped_ = true;
  return true;
}

std::optional<std::string> parameterNameProblem(std::string_view name) {
  if (name.empty()) return "You must type in a parameter name";
  if (name == "e") return "'e' is the base of natural logarithms,\n and is not a valid parameter";
  if (name.size() == 1 && std::string_view("tuvxyzr").find(name[0]) != std::string_view::npos)
    return "'" + std::string(name) + "' is used to graph equations,\n and is not a valid parameter";
  if (name.size() != 1 || !isAsciiLetter(name[0])) return "A parameter name is a single letter";
  return std::nullopt;
}

std::string suggestedParameterName(const ParameterList& parameters) {
  // The first letter no listed parameter has, leaving out e and the graphing letters.
  for (char c = 'a'; c <= 'w'; ++c) {
    if (c == 'e' || c == 'r' || c == 't' || c == 'u' || c == 'v') continue;
    if (!parameters.find(std::string(1, c))) return std::string(1, c);
  }
  return {};
}

} // namespace vexmar
