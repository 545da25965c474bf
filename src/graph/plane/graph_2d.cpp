#include "graph/plane/graph_2d.h"

#include "model/model_state.h"
#include "model/object_kind.h"
#include "numeric/numeric_state.h"
#include "text/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace vexmar {
namespace {

// The compiler bakes parameters in from the parameter list, so a new value has to be there before
// the program is compiled again.
void storeParameterValue(std::uint16_t name, double value) {
  ParameterList& list = numericState().parameters;
  std::string key;
  if (isSpecialCharacterCode(name)) {
    key = std::string(specialCharacter(name - kFirstSpecialCode).name);
  } else {
    const auto letter = static_cast<unsigned char>(name & 0xFF);
    const Parameter* byLetter = list.findByFirstCharacter(letter);
    key = byLetter ? byLetter->name : std::string(1, static_cast<char>(letter));
  }
  if (const Parameter* existing = list.find(key)) {
    const double current = parseNumber(existing->valueText);
    if (current == value || (std::isnan(current) && std::isnan(value))) return;
  }
  std::string text;
  if (std::isnan(value)) {
    text = "NaN";
  } else if (std::isinf(value)) {
    text = value > 0 ? "Infinity" : "-Infinity";
  } else {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.assign(buffer, written.ptr);
    // Parameter texts are read with the user's separator.
    std::replace(text.begin(), text.end(), '.', modelState().decimalSeparator);
  }
  list.set(key, text);
}

} // namespace

CGraph2D::CGraph2D(const CGraphPlane& plane, std::unique_ptr<GraphStyle> style)
    : plane_(plane), style_(style ? std::move(style) : std::make_unique<GraphStyle>()) {}

CGraph2D::~CGraph2D() = default;

void CGraph2D::parameterChanged(std::uint16_t /*name*/, double /*value*/) {}

void CGraph2D::setProperty(int which, double value) {
  if (which == GraphProperty::ColourIndex) style_->setFromColourIndex(value);
}

bool CGraph2D::takeCurveMode(double value, int& mode) {
  if (value != 0.0 && value != 1.0 && value != 2.0) return false;
  mode = static_cast<int>(value);
  return true;
}

bool applyParameterValue(std::uint16_t name, double value) {
  NumericState& state = numericState();
  // The animated letter is read live by the programs; any other is baked in at compilation.
  if (static_cast<double>(name) == state.animatedVariable) {
    state.animationValue = value;
    return false;
  }
  storeParameterValue(name, value);
  return true;
}

Rgb colourOf(const GraphStyle& style) {
  // A COLORREF keeps red in the low byte.
  return Rgb{static_cast<std::uint8_t>(style.colour & 0xFF),
             static_cast<std::uint8_t>((style.colour >> 8) & 0xFF),
             static_cast<std::uint8_t>((style.colour >> 16) & 0xFF)};
}

} // namespace vexmar
