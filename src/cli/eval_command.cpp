#include "cli/active_line.h"
#include "cli/option_parser.h"
#include "cli/subcommands.h"
#include "graph/equation_classifier.h"
#include "model/object_kind.h"
#include "numeric/error_word.h"
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"
#include "text/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>
#include <string_view>

namespace vexmar {
namespace {

// The names --at and --interval accept, and the character each stands for.
struct VariableName {
  std::string_view name;
  std::uint16_t code;
};

std::uint16_t specialCharacterCode(std::string_view name) { return specialCharacterByName(name).value(); }

// Special characters are found by name in their table at start-up, so this table is not constexpr.
const std::array<VariableName, 8> kVariables = {{{"x", 'x'},
                                                 {"y", 'y'},
                                                 {"z", 'z'},
                                                 {"u", 'u'},
                                                 {"v", 'v'},
                                                 {"theta", specialCharacterCode("theta")},
                                                 {"phi", specialCharacterCode("phi")},
                                                 {"rho", specialCharacterCode("rho")}}};

bool parseDouble(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// "bad --at item 'x=abc' (WHY)": an item of a list option and why it was refused.
std::string badItem(std::string_view option, std::string_view item, std::string_view why) {
  return "bad " + std::string(option) + " item '" + std::string(item) + "' (" + std::string(why) + ")";
}

// A value at one point (of a coordinate, a parameter, the animated letter) must be a real number:
// NaN and the infinities are none.
constexpr std::string_view kNotFinite = "VALUE must be a finite number";

// Why LO:HI is no range of real numbers to evaluate over; empty when it is one. An infinite bound
// stands for no bound, as the interval functions take their own results at a pole; but both
// bounds at the same infinity hold no real number.
std::string_view badRange(double lo, double hi) {
  if (std::isnan(lo) || std::isnan(hi)) return "LO and HI must be numbers";
  if (lo == hi && std::isinf(lo)) return "the range holds no real number";
  return {};
}

const VariableName* findVariable(std::string_view name) {
  for (const VariableName& v : kVariables)
    if (v.name == name) return &v;
  return nullptr;
}

// Why a --param names no parameter of the expression (the first such), or empty when each names
// one: a value nothing reads would go unnoticed. The animated letter reads --anim's value, never
// a parameter's.
std::string unusedParameter(const MathObject& tree, const NumericState& state) {
  ParameterList used, animated;
  registerParameters(tree, used);
  registerParameters(*makeChar(static_cast<std::uint16_t>(state.animatedVariable)), animated);
  for (const Parameter& given : state.parameters.all()) {
    if (animated.find(given.name))
      return "--param " + given.name + ": " + given.name +
             " is the animated letter (give its value with --anim)";
    if (used.find(given.name)) continue;
    std::string names;
    for (const Parameter& parameter : used.all())
      if (!animated.find(parameter.name)) names += (names.empty() ? "" : ", ") + parameter.name;
    return "--param " + given.name + ": the expression has no parameter " + given.name +
           (names.empty() ? " (it has none)" : " (its parameters: " + names + ")");
  }
  return {};
}

// The lists of a repeated --at, --interval or --param read as one list.
std::string joinItems(const std::vector<std::string>& lists) {
  std::string joined;
  for (const std::string& list : lists) joined += (joined.empty() ? "" : ",") + list;
  return joined;
}

std::string formatValue(double v) {
  // A NaN's sign means nothing, and which sign a library call leaves differs between paths.
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
  char buffer[40];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 17).ptr;
  return std::string(buffer, end);
}

// Why a code raised while compiling or evaluating left the expression without a value.
std::string refusal(ErrorCode code) {
  if (code == Error::GraphMemory)
    return "the expression is too large to evaluate: its program would not fit the evaluator's stack "
           "(error 7)";
  return std::string(errorMessage(code)) + " (error " + std::to_string(code) + ")";
}

struct Point {
  std::array<double, 5> values{}; // u v x y z
};

int slotIndex(std::uint16_t code) {
  switch (code) {
  case 'u':
    return 0;
  case 'v':
    return 1;
  case 'x':
    return 2;
  case 'y':
    return 3;
  case 'z':
    return 4;
  default:
    return -1;
  }
}

// theta, phi and rho are worked out from x, y, z by the program; a value given for one of them is
// substituted into the expression instead.
void substituteLetter(MathObject& root, std::uint16_t code, double value) {
  std::vector<MathObject*> hits;
  for (MathObject* n = &root; n; n = nextPreorder(*n, root))
    if (n->kind == ObjectKind::char_ && n->characterCode() == code) hits.push_back(n);
  for (MathObject* hit : hits) replaceObject(makeNumber(value, formatNumber(value)), *hit);
}

} // namespace

int runEvalCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  static constexpr OptionRow kOptions[] = {
      {"--text"},
      {"--program"},
      {"--at", "NAME=VALUE,...", Occurs::Repeatable},
      {"--interval", "NAME=LO:HI,...", Occurs::Repeatable},
      {"--param", "NAME=VALUE,...", Occurs::Repeatable},
      {"--anim", "VALUE"},
      kClassicTypingOption,
  };
  static constexpr std::string_view kPositionals[] = {"EXPR"};
  const ParsedOptions options = parseOptions(args, {"eval", kOptions, kPositionals});
  if (!options.error.empty()) return commandLineError(err, options.error);
  const std::string& expression = options.positionals.front();
  const bool text = options.has("--text"), listing = options.has("--program");
  const std::string at = joinItems(options.values("--at")),
                    intervals = joinItems(options.values("--interval")),
                    params = joinItems(options.values("--param"));
  std::optional<double> animation;
  if (const std::string* item = options.value("--anim")) {
    double v = 0;
    if (!parseDouble(*item, v) || !std::isfinite(v))
      return commandLineError(err, "eval: --anim needs a finite number");
    animation = v;
  }

  resetNumericState();
  NumericState& state = numericState();
  std::string error;
  const bool paramsRead = forEachListItem(params, [&](std::string_view item) {
    const std::size_t eq = item.find('=');
    double v = 0;
    if (eq == 0 || eq == std::string_view::npos || !parseDouble(item.substr(eq + 1), v)) {
      error = badItem("--param", item, "NAME=VALUE");
      return false;
    }
    if (!std::isfinite(v)) {
      error = badItem("--param", item, kNotFinite);
      return false;
    }
    state.parameters.set(item.substr(0, eq), item.substr(eq + 1));
    return true;
  });
  if (!paramsRead) return commandLineError(err, "eval: " + error);
  if (animation) state.animationValue = *animation;

  ActiveLine active(typingHabitsOf(options));
  if (text ? !active.startFromText(expression, error) : !active.typeKeys(expression, error))
    return commandLineError(err, "eval: " + error);
  ObjectPtr tree = cloneTree(*active.line().root);
  if (const std::string unused = unusedParameter(*tree, state); !unused.empty())
    return commandLineError(err, "eval: " + unused);
  // Before the letters' values go in: the letters of a subscripted name are not letters.
  substituteSubscriptedNames(*tree, state.parameters);

  Point point;
  const bool atRead = forEachListItem(at, [&](std::string_view item) {
    const std::size_t eq = item.find('=');
    const VariableName* var = eq == std::string_view::npos ? nullptr : findVariable(item.substr(0, eq));
    double v = 0;
    if (!var || !parseDouble(item.substr(eq + 1), v)) {
      error = badItem("--at", item, "NAME=VALUE with NAME one of x y z u v theta phi rho");
      return false;
    }
    if (!std::isfinite(v)) {
      error = badItem("--at", item, kNotFinite);
      return false;
    }
    if (const int slot = slotIndex(var->code); slot >= 0)
      point.values[static_cast<std::size_t>(slot)] = v;
    else
      substituteLetter(*tree, var->code, v);
    return true;
  });
  if (!atRead) return commandLineError(err, "eval: " + error);

  std::array<IntervalValue, 5> box{};
  for (std::size_t k = 0; k < box.size(); ++k) box[k] = {point.values[k], point.values[k]};
  bool anyInterval = false;
  const bool intervalsRead = forEachListItem(intervals, [&](std::string_view item) {
    const std::size_t eq = item.find('='), colon = item.find(':');
    const VariableName* var = eq == std::string_view::npos ? nullptr : findVariable(item.substr(0, eq));
    double lo = 0, hi = 0;
    const bool ok = var && colon != std::string_view::npos && colon > eq &&
                    parseDouble(item.substr(eq + 1, colon - eq - 1), lo) &&
                    parseDouble(item.substr(colon + 1), hi);
    if (const std::string_view bad = ok ? badRange(lo, hi) : std::string_view(); !bad.empty()) {
      error = badItem("--interval", item, bad);
      return false;
    }
    int slot = var ? slotIndex(var->code) : -1;
    if (ok && slot < 0) {
      // An interval of theta, phi or rho is given to u, which the expression must not use.
      for (const MathObject* n = tree.get(); n && slot < 0; n = nextPreorder(n, *tree))
        if (n->kind == ObjectKind::char_ && n->characterCode() == 'u') slot = -2;
      if (slot == -1) {
        for (MathObject* n = tree.get(); n; n = nextPreorder(*n, *tree))
          if (n->kind == ObjectKind::char_ && n->characterCode() == var->code) n->payloadA = 'u';
        slot = 0;
      }
    }
    if (!ok || slot < 0 || lo > hi) {
      error = badItem("--interval", item,
                      slot == -2 ? "NAME=LO:HI with LO <= HI, and no interval of theta, phi or rho when the "
                                   "expression uses u"
                                 : "NAME=LO:HI with LO <= HI");
      return false;
    }
    box[static_cast<std::size_t>(slot)] = {lo, hi};
    anyInterval = true;
    return true;
  });
  if (!intervalsRead) return commandLineError(err, "eval: " + error);

  Evaluator evaluator(std::move(tree));
  compileBatch({&evaluator});
  if (listing) out << evaluator.program()->listing();
  std::string value;
  if (anyInterval) {
    state.intervalSlots[0] = box[0];
    state.intervalSlots[1] = box[1];
    const IntervalValue v = evaluator.evalIntervalXYZ(box[2].lower, box[2].upper, box[3].lower, box[3].upper,
                                                      box[4].lower, box[4].upper);
    value = '[' + formatValue(v.lower) + ", " + formatValue(v.upper) + ']';
  } else {
    const auto& p = point.values;
    value = formatValue(evaluator.evalUVXYZ(p[0], p[1], p[2], p[3], p[4]));
  }
  // A program the compiler refused evaluates to NaN everywhere: that is no value of the expression.
  if (const ErrorCode code = takeError(); code != Error::None)
    return commandLineError(err, "eval: " + refusal(code));
  out << value << '\n';
  return 0;
}

} // namespace vexmar
