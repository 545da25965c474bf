#include "graph/graph_messages.h"

#include <array>

namespace vexmar {
namespace {

// Indexed by CanGraphReason; the three hints after the reasons share the string ids.
constexpr std::array<std::string_view, kCanGraphReasonCount + 3> kReasonStrings = {
    "Can't graph equations of this form",
    "Can't graph equations with question marks",
    "Parameter 't' can only be used in parametric curves",
    "Parameters 'u' and 'v' can only be used in parametric surfaces",
    "Can't graph equations using multiple coordinate systems",
    "Can't graph 2D Inequalities in 3D",
    "Can't graph 2D vector plots in 3D",
    "A condition after the comma is not appropriate here",
    "No equation to graph.  Try 'y = x'",
    "Can't parse condition after the comma.",
    "To exit the exponent, press the right arrow",
    "To exit the fraction, press the right arrow",
    "Use 'y' instead of 'f(x)'",
};

// Indexed by GraphStatus; code 0 is a tag that shows no line.
constexpr std::array<std::string_view, kGraphStatusCount> kStatusStrings = {
    "",
    "Undefined in the region shown",
    "Undefined or infinite in the region shown",
    "Undefined in the domain shown",
    "Infinite in the domain shown",
    "Curve is outside the region shown",
    "Not satisfied anywhere",
    "Not satisfied in the region shown",
    "False everywhere",
    "False in the region shown",
    "Undefined or constant throughout the region shown",
    "Undefined or infinite for the coordinate ranges given",
    "Not satisfied in the coordinate ranges given",
};

template <std::size_t N> std::string_view lookup(const std::array<std::string_view, N>& table, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= N) return {};
  return table[static_cast<std::size_t>(index)];
}

} // namespace

std::string_view canGraphReasonMessage(CanGraphReason reason) {
  const int code = static_cast<int>(reason);
  return code < kCanGraphReasonCount ? lookup(kReasonStrings, code) : std::string_view{};
}

std::string_view graphStatusMessage(GraphStatus status) {
  return lookup(kStatusStrings, static_cast<int>(status));
}

std::string_view graphStringById(int id) {
  if (id >= kCanGraphReasonStringBase) return lookup(kReasonStrings, id - kCanGraphReasonStringBase);
  return lookup(kStatusStrings, id - kGraphStatusStringBase);
}

} // namespace vexmar
