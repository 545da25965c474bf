#pragma once

namespace vexmar {

struct InsertionPoint;
struct MathObject;

/// The process-wide switches the rewrite step reads. Commands change them only for their own
/// duration (through ScopedSimplifySwitches).
struct SimplifySwitches {
  bool simplifyAfterSubstitution = true; ///< substitution and term peeling simplify afterwards
  bool sortFactors = true;               ///< products are put in canonical factor order
  bool collectTerms = true;              ///< like terms of a sum are combined
  bool collectFactors = true;            ///< equal factors combine, common factors cancel
  bool descendingPowers = true;          ///< term ordering puts the higher degree first
  bool expandMode = false;               ///< products distribute over sums
  bool keepProductsMode = false;         ///< fractions are not merged into products
  bool compactFractionsMode = false;     ///< fractions in a sum go over one denominator
  bool expandOnceMode = false;           ///< expandMode turns itself off after one distribution
  bool derivativesHeld = false;          ///< the derivative engine is not run

  /// Back to the start-up values.
  void reset() { *this = SimplifySwitches{}; }
};

/// The one set of switches.
[[nodiscard]] SimplifySwitches& simplifySwitches();

/// Saves the switches on construction and puts them back on destruction.
class ScopedSimplifySwitches {
public:
  ScopedSimplifySwitches();
  ~ScopedSimplifySwitches();
  ScopedSimplifySwitches(const ScopedSimplifySwitches&) = delete;
  ScopedSimplifySwitches& operator=(const ScopedSimplifySwitches&) = delete;

private:
  SimplifySwitches saved_;
};

/// Simplify on the selected object: the rewrite pass, the derivative steps (unless derivatives
/// are held), the rewrite pass again and the final tidy pass. `selection` keeps its place.
void simplifySelection(InsertionPoint& ip, MathObject& selection);

/// Unwraps parentheses, runs the bottom-up pass and the final tidy pass (no derivative steps).
void rewritePass(MathObject& selection);

/// Every object below the selection that has an `equal` child becomes an equation whose sides
/// are copies of the object with that child replaced by each side: 2(y = x + 1) gives
/// 2y = 2(x + 1).
void liftEquations(MathObject& selection);

/// `rewriteObject` on every object of the subtree, children before parents. Stops, leaving the
/// rest unchanged, once memory runs low.
void rewriteBottomUp(MathObject& subtree);

/// One local rewrite step on `object`, whose children are already rewritten. The object's
/// record keeps its place in the tree even when its content is replaced.
void rewriteObject(MathObject& object);

/// Display clean-up after the rewrite passes: negative numbers as a sign and a number, x^(1/2)
/// as a square root, a sign pulled out of a numerator.
void finalTidyPass(MathObject& subtree);

/// Runs the derivative conversion, engine (unless held) and back-conversion on the subtree.
void derivativeSteps(MathObject& subtree);

} // namespace vexmar
