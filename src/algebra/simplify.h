#pragma once

namespace vexmar {

struct InsertionPoint;
struct MathObject;

/// The switches a user sets for the algebra. Process-wide; each command copies them into its
/// SimplifyOptions when it starts.
struct SimplifySwitches {
  bool simplifyAfterSubstitution = true; ///< substitution, term peeling and Isolate simplify afterwards
  bool sortFactors = true;               ///< products are put in canonical factor order
  bool collectTerms = true;              ///< like terms of a sum are combined
  bool collectFactors = true;            ///< equal factors combine, common factors cancel
  bool descendingPowers = true;          ///< term ordering puts the higher degree first
  bool derivativesHeld = false;          ///< the derivative engine is not run

  /// Back to the start-up values.
  void reset() { *this = SimplifySwitches{}; }
};

/// The one set of user switches.
[[nodiscard]] SimplifySwitches& simplifySwitches();

/// What one command's rewriting does: the user's switches as the command began, plus the modes
/// of the command itself.
struct SimplifyOptions {
  SimplifySwitches switches{};
  bool expandMode = false;           ///< products distribute over sums
  bool keepProductsMode = false;     ///< fractions are not merged into products
  bool compactFractionsMode = false; ///< fractions in a sum go over one denominator
  bool expandOnceMode = false;       ///< expandMode ends after the pass's first distribution
};

/// Simplify on the selected object: the rewrite pass, the derivative steps (unless derivatives
/// are held), the rewrite pass again and the final tidy pass. `selection` keeps its place.
void simplifySelection(InsertionPoint& ip, MathObject& selection, const SimplifyOptions& options);

/// The largest exponent of a sum that expandMode multiplies out.
inline constexpr int kLargestExpandedPower = 23;

/// Expansions a pass left undone because their result would be too large.
struct ExpansionLimits {
  bool tooManyTerms = false; ///< a product of sums would have more terms than one sum holds
  bool powerTooHigh = false; ///< a sum raised above kLargestExpandedPower
};

/// Unwraps parentheses, runs the bottom-up pass and the final tidy pass (no derivative steps).
/// Returns the expansions it refused.
ExpansionLimits rewritePass(MathObject& selection, const SimplifyOptions& options);

/// Every object below the selection that has an `equal` child becomes an equation whose sides
/// are copies of the object with that child replaced by each side: 2(y = x + 1) gives
/// 2y = 2(x + 1).
void liftEquations(MathObject& selection);

/// `rewriteObject` on every object of the subtree, children before parents. Stops, leaving the
/// rest unchanged, once memory runs low.
void rewriteBottomUp(MathObject& subtree, const SimplifyOptions& options);

/// One local rewrite step on `object`, whose children are already rewritten. The object's
/// record keeps its place in the tree even when its content is replaced.
void rewriteObject(MathObject& object, const SimplifyOptions& options);

/// Display clean-up after the rewrite passes: negative numbers as a sign and a number, x^(1/2)
/// as a square root, a sign pulled out of a numerator and out of a product it leads (−2x, not
/// (−2)x).
void finalTidyPass(MathObject& subtree);

/// Runs the derivative conversion, engine (unless held) and back-conversion on the subtree.
void derivativeSteps(MathObject& subtree, const SimplifyOptions& options);

} // namespace vexmar
