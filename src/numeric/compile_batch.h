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
/// grid batch, parts depending only on u (or only on v) become side programs. Constant parts are
/// computed once, here, into one constant with its enclosure; sums and products are accumulated
/// term by term, and an operand that needs a deep stack is computed before a shallow one, so that
/// programs of any size stay well within the value stack.
class CompileBatch {
public:
  explicit CompileBatch(bool hoisting);

  /// Compiles `tree` as the batch's next program into `program`.
  void compile(const MathObject& tree, EvalProgram& program);
  void compile(Evaluator& evaluator);
  /// Inserts the stores of shared subexpressions and finishes every program; returns the number
  /// of slots the batch needs. A program too deep for the value stack raises the graph-memory
  /// error, and the machines refuse to run it.
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
    bool constant;         // reads no slot: compiles to one constant
    int depth;             // the value stack its code needs, about
  };
  /// One step of the compilation: visit a subtree, emit an operation (folding constant operands),
  /// push a constant of the machine's own, or note a subtree whose code has just ended.
  struct Step {
    enum class Kind { Visit, Operate, Push, Record } kind;
    const MathObject* node = nullptr;
    EvalOpcode op = EvalOpcode::Nop;
    double value = 0;      ///< a pushed constant; an operation's constant operand
    std::int32_t slot = 0; ///< an operation's slot operand
  };

  void analyse(const MathObject& tree);
  [[nodiscard]] int depthOf(const MathObject& node) const;
  /// A sum or product whose first term is constant and second is not.
  [[nodiscard]] bool constantLeads(const MathObject& node) const;
  bool tryShare(const MathObject& node, EvalProgram& program);
  void visit(const MathObject& node, EvalProgram& program, std::vector<Step>& steps);
  void plan(const MathObject& node, std::vector<Step>& code) const;
  void emitLeaf(const MathObject& node, EvalProgram& program);
  void emitLetter(std::uint16_t code, EvalProgram& program);
  void emitDerived(int slot, EvalProgram& program);
  void operate(EvalProgram& program, const EvalInstruction& instruction);

  bool hoisting_;
  std::vector<EvalProgram*> programs_;
  std::vector<Compiled> shared_;
  std::vector<Compiled> compiled_;
  std::unordered_multimap<std::uint64_t, std::size_t> compiledByHash_;
  std::unordered_multimap<std::uint64_t, std::size_t> sharedByHash_;
  std::unordered_map<const MathObject*, NodeFacts> facts_;
  std::vector<const MathObject*> uOnly_, vOnly_;
  std::array<bool, 4> derivedStored_{}; // slots r, rho, theta, phi: computed once per batch
  std::size_t lastRecorded_ = 0;        // folding never reaches back past a recorded subtree's end
};

} // namespace vexmar
