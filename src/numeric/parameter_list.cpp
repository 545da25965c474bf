#include "numeric/parameter_list.h"

#include "model/number_reading.h"

#include <cmath>

namespace vexmar {

void ParameterList::set(std::string_view name, std::string_view valueText) {
  if (Parameter* p = find(name)) {
    p->valueText = valueText;
    return;
  }
  parameters_.push_back({std::string(name), std::string(valueText), false});
}

Parameter* ParameterList::find(std::string_view name) {
  return const_cast<Parameter*>(static_cast<const ParameterList*>(this)->find(name));
}

const Parameter* ParameterList::find(std::string_view name) const {
  for (const Parameter& p : parameters_)
    if (p.name == name) return &p;
  return nullptr;
}

const Parameter* ParameterList::findByFirstCharacter(unsigned char first) const {
  for (const Parameter& p : parameters_)
    if (!p.name.empty() && static_cast<unsigned char>(p.name.front()) == first &&
        p.name.find('_') == std::string::npos)
      return &p;
  return nullptr;
}

namespace {

double valueOrZero(const Parameter* p) { return p ? parseNumber(p->valueText) : 0.0; }

} // namespace

double ParameterList::valueForLetter(unsigned char first) const {
  return valueOrZero(findByFirstCharacter(first));
}

double ParameterList::valueForName(std::string_view name) const { return valueOrZero(find(name)); }

bool ParameterList::rename(std::string_view from, std::string_view to) {
  Parameter* parameter = find(from);
  if (!parameter || find(to)) return false;
  parameter->name = std::string(to);
  return true;
}

} // namespace vexmar
