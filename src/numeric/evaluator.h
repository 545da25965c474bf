#pragma once

#include "model/math_object.h"
#include "numeric/eval_program.h"
#include "numeric/interval.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

namespace vexmar {

struct GridBlock;

/// An expression tree with its compiled program. Evaluations read and write the process-wide
/// slot array, so they must not interleave with each other or with compilation.
class Evaluator {
public:
  explicit Evaluator(ObjectPtr tree);
  ~Evaluator();
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  [[nodiscard]] const MathObject& tree() const { return *tree_; }
  [[nodiscard]] const EvalProgram* program() const { return program_.get(); }
  [[nodiscard]] bool isCompiled() const { return program_ != nullptr; }

  /// The value with u = `u` (the animation value read live).
  [[nodiscard]] double evalU(double u) const;
  [[nodiscard]] double evalUVXYZ(double u, double v, double x, double y, double z) const;
  /// The value at grid point (i, j) of a block filled by prepareGrid.
  [[nodiscard]] double evalGridPoint(int i, int j, GridBlock& block) const;
  /// Enclosures of the value over an interval of u, a rectangle of x and y, or a box.
  [[nodiscard]] IntervalValue evalIntervalU(double low, double high) const;
  [[nodiscard]] IntervalValue evalIntervalXY(double xLow, double xHigh, double yLow, double yHigh) const;
  [[nodiscard]] IntervalValue evalIntervalXYZ(double xLow, double xHigh, double yLow, double yHigh,
                                              double zLow, double zHigh) const;

  /// Turns every letter `from` into `to` (a graph's own variable into u or v); the program, if
  /// any, is dropped and must be compiled again.
  void renameVariable(std::uint16_t from, std::uint16_t to);
  [[nodiscard]] bool dependsOnVariable(std::uint16_t code) const;
  [[nodiscard]] bool containsFactorial() const;

private:
  friend class CompileBatch;
  ObjectPtr tree_;
  std::unique_ptr<EvalProgram> program_;
};

/// Values cached per grid column and row for the u-only and v-only parts of a grid batch.
struct GridBlock {
  double uStart = 0, vStart = 0, uStep = 0, vStep = 0;
  int uCount = 0, vCount = 0;
  int i = 0, j = 0;
  int slotCount = 0; ///< slots of the batch, before the cached values
  std::vector<EvalProgram> uPrograms;
  std::vector<EvalProgram> vPrograms;
  std::vector<double> values;
  bool prepared = false;
};

/// Fills the block's caches for a grid; nothing happens when the grid is unchanged.
void prepareGrid(double uStart, double vStart, double uStep, double vStep, int uCount, int vCount,
                 GridBlock& block);

/// Compiles evaluators together so that they share common subexpressions; they must then be
/// evaluated in this order for each point. Returns the number of slots the batch uses.
int compileBatch(std::initializer_list<Evaluator*> evaluators);
/// As compileBatch, also hoisting the parts that depend only on u (or only on v) into side
/// programs evaluated once per grid column (or row).
[[nodiscard]] std::unique_ptr<GridBlock> compileGridBatch(std::initializer_list<Evaluator*> evaluators);

} // namespace vexmar
