#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexmar {

/// One parameter: a letter (or name) of the equations with the value the user gave it.
struct Parameter {
  std::string name;
  std::string valueText;
  bool inUse = false;
};

/// The document's parameters, read by the compiler for letters that are not variables.
class ParameterList {
public:
  /// Adds a parameter, or changes the value of the one with that name.
  void set(std::string_view name, std::string_view valueText);
  /// The parameter whose name begins with the character `first`, if any; not a subscripted name
  /// (a_1), which is a parameter of its own.
  [[nodiscard]] const Parameter* findByFirstCharacter(unsigned char first) const;
  [[nodiscard]] Parameter* find(std::string_view name);
  [[nodiscard]] const Parameter* find(std::string_view name) const;
  /// The value of the parameter named by a letter's low byte: 0 when there is none, NaN when
  /// its text is not a number.
  [[nodiscard]] double valueForLetter(unsigned char first) const;
  /// The value of the parameter with this name, read as valueForLetter reads it.
  [[nodiscard]] double valueForName(std::string_view name) const;
  void clear() { parameters_.clear(); }
  /// Gives a parameter another name; false, changing nothing, when there is none by the old name
  /// or one by the new.
  bool rename(std::string_view from, std::string_view to);
  void clearInUse() {
    for (Parameter& p : parameters_) p.inUse = false;
  }
  [[nodiscard]] const std::vector<Parameter>& all() const { return parameters_; }

private:
  std::vector<Parameter> parameters_;
};

} // namespace vexmar
