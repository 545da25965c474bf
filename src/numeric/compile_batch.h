#pragma once

#include "model/math_object.h"
#include "numeric/eval_program.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace vexmar {

class Evaluator;

/// Compiles trees into programs that share common subexpressions through numbered slots; in a
/// grid batch, parts depending only on u (or only on v) become side programs.
class CompileBatch {
public:
  explicit CompileBatch(bool hoisting);

  /// Compiles `tree` as the batch's next program into `program`.
  void compile(const MathObject& tree, EvalProgram& program);
  void compile(Evaluator& evaluator);
  /// Inserts the stores of shared subexpressions and finishes every program; returns the number
  /// of slots the batch needs.
  int finish();

  /// Subtrees hoisted out of the batch's programs, by cache index.
  [[nodiscard]] const std::vector<const MathObject*>& uOnly() const { return uOnly_; }
  [[nodiscard]] const std::vector<const MathObject*>& vOnly() const { return vOnly_; }

private:
  /// A compiled subtree: the program holding its code and the position just after that code.
  struct Compiled {
    const MathObject* tree;
    int program;
    std::size_t position;
  };
  struct NodeFacts {
    std::uint64_t hash;
    std::uint32_t letters; // which kinds of variable the subtree mentions
  };

  void analyse(const MathObject& tree);
  bool tryShare(const MathObject& node, EvalProgram& program);
  void emitNode(const MathObject& node, EvalProgram& program);
  void emitLetter(std::uint16_t code, EvalProgram& program);
  void emitDerived(int slot, EvalProgram& program);

  bool hoisting_;
  std::vector<EvalProgram*> programs_;
  std::vector<Compiled> shared_;
  std::vector<Compiled> compiled_;
  std::unordered_multimap<std::uint64_t, std::size_t> compiledByHash_;
  std::unordered_multimap<std::uint64_t, std::size_t> sharedByHash_;
  std::unordered_map<const MathObject*, NodeFacts> facts_;
  std::vector<const MathObject*> uOnly_, vOnly_;
  std::array<bool, 4> derivedStored_{}; // slots r, rho, theta, phi: computed once per batch
};

} // namespace vexmar
