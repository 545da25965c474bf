#include "graph/graph_form.h"

#include <array>

namespace vexmar {
namespace {

// What each form allows, indexed by form code.
struct FormTraits {
  bool conditionsIn3D; // inequality conditions, when classifying for 3D
  bool conditionsAlways;
  bool colourFormula; // only for 3D
  bool patterned;     // surface patterns and textures
  bool surfaceDensityOrContour;
  bool spaceOnly;
};

// clang-format off
constexpr std::array<FormTraits, kGraphFormCount> kFormTraits = {{
    // c3D    cAll   colour patt   sdc    space
    {false, false, false, false, false, false}, // 0 none
    {false, false, false, false, false, false}, // 1 y = f(x)
    {false, false, false, false, false, false}, // 2 x = f(y)
    {false, false, false, false, false, false}, // 3 r = f(θ)
    {false, false, false, false, false, false}, // 4 θ = f(r)
    {true,  false, true,  true,  true,  false}, // 5 z = f(x, y)
    {true,  false, true,  true,  false, true }, // 6 x = f(y, z)
    {true,  false, true,  true,  false, true }, // 7 y = f(x, z)
    {true,  false, true,  true,  false, true }, // 8 r = f(θ, φ)
    {true,  false, true,  true,  false, true }, // 9 θ = f(r, φ)
    {true,  false, true,  true,  false, true }, // 10 φ = f(r, θ)
    {true,  false, true,  true,  false, true }, // 11 r = f(θ, z)
    {true,  false, true,  true,  true,  false}, // 12 z = f(r, θ)
    {true,  false, true,  true,  true,  false}, // 13 z = f(x, y, r, θ)
    {true,  false, true,  true,  false, true }, // 14 θ = f(r, z)
    {true,  false, false, false, false, false}, // 15 [r, θ](t)
    {false, false, false, false, false, false}, // 16 2D vector field
    {true,  false, false, false, false, true }, // 17 3D vector field
    {true,  false, false, false, false, false}, // 18 [x, y](t)
    {true,  false, false, false, false, true }, // 19 [x, y, z](t)
    {true,  false, false, false, false, true }, // 20 [r, θ, φ](t)
    {true,  false, false, false, false, true }, // 21 [r, θ, z](t)
    {true,  false, true,  true,  false, true }, // 22 [x, y, z](u, v)
    {true,  false, true,  true,  false, true }, // 23 [r, θ, φ](u, v)
    {true,  false, true,  true,  false, true }, // 24 [r, θ, z](u, v)
    {false, false, false, false, false, false}, // 25 implicit curve
    {true,  false, true,  false, false, true }, // 26 implicit surface
    {false, false, false, false, false, false}, // 27 expression in x
    {false, false, false, false, false, false}, // 28 expression in y
    {true,  false, true,  true,  true,  false}, // 29 expression in x, y, r, θ
    {false, true,  false, false, false, false}, // 30 inequality region
}};
// clang-format on

const FormTraits& traits(GraphForm form) {
  const int code = formCode(form);
  return kFormTraits[code < kGraphFormCount ? static_cast<std::size_t>(code) : 0];
}

} // namespace

bool acceptsInequalityConditions(GraphForm form, bool for3D) {
  const FormTraits& t = traits(form);
  return t.conditionsAlways || (for3D && t.conditionsIn3D);
}

bool acceptsColourFormula(GraphForm form, bool for3D) { return for3D && traits(form).colourFormula; }

bool isPatternedSurfaceForm(GraphForm form) { return traits(form).patterned; }

bool isSurfaceDensityOrContourForm(GraphForm form) { return traits(form).surfaceDensityOrContour; }

bool isSpaceOnlyForm(GraphForm form) { return traits(form).spaceOnly; }

} // namespace vexmar
