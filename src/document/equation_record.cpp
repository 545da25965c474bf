#include "document/equation_record.h"

namespace vexmar {

const std::array<ColourCode, 16>& colourCodes() {
  static constexpr std::array<ColourCode, 16> kCodes = {{
      {1, "Purple", "Purple", 32801},
      {2, "Red", "Red", 32802},
      {3, "Blue", "Blue", 32803},
      {4, "Green", "Green", 32804},
      {5, "Cyan", "Cyan", 32805},
      {6, "Yellow", "Yellow", 32806},
      {7, "Mauve", "Mauve", 32807},
      {8, "Frost", "Frost", 32808},
      {10, "Checkers", "Checkers", 32810},
      {11, "Stripes", "Strips", 32811},
      {12, "Bars", "Bars", 32812},
      {13, "Rainbow", "Gradient", 32813},
      {14, "Spectrum", "Blend", 32814},
      {15, "Candy Stripes", "Candy Stripes", 32815},
      {16, "Candy Bars", "Rainbow", 32816},
      {999, "Texture Map", "Texture", 32817},
  }};
  return kCodes;
}

// The table is the list of valid codes.
bool isColourCodeValid(double code) { return findColourCode(code) != nullptr; }

const ColourCode* findColourCode(double code) {
  for (const ColourCode& c : colourCodes())
    if (c.code == code) return &c;
  return nullptr;
}

} // namespace vexmar
