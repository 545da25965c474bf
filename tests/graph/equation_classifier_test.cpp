#include "graph/equation_classifier.h"

#include "numeric/parameter_list.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace vexmar {
namespace {

// Text-form builders, so that the rows read close to the equations they stand for.
std::string c(const std::string& letter) { return "char[" + letter + "]"; }
std::string n(int v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }
std::string k(const std::string& kind, std::initializer_list<std::string> children) {
  std::string text = kind + "[";
  for (const std::string& child : children) text += (text.back() == '[' ? "" : ",") + child;
  return text + "]";
}
std::string eq(const std::string& a, const std::string& b) { return k("equal", {a, b}); }
std::string vec(std::initializer_list<std::string> entries) {
  std::string text = "matrix[" + std::to_string(entries.size()) + ",1";
  for (const std::string& e : entries) text += "," + e;
  return text + "]";
}
std::string sq(const std::string& a) { return k("power", {a, n(2)}); }

ObjectPtr read(const std::string& text) {
  ObjectPtr tree = readObjectText(text);
  EXPECT_TRUE(tree) << "bad text form in the test: " << text;
  return tree;
}

// A form, or (when 0) the reason why not.
struct Expect {
  int form;
  CanGraphReason reason = CanGraphReason::WrongForm;
};
Expect form(int code) { return {code}; }
Expect why(CanGraphReason reason) { return {0, reason}; }

struct Row {
  const char* name;
  std::string text;
  Expect plane;
  Expect space;
};

void check(const Row& row) {
  SCOPED_TRACE(std::string(row.name) + ": " + row.text);
  const ObjectPtr tree = read(row.text);
  if (!tree) return;
  for (const bool for3D : {false, true}) {
    SCOPED_TRACE(for3D ? "3D" : "2D");
    const Expect& expect = for3D ? row.space : row.plane;
    const GraphForm got = classifyWithConditions(*tree, for3D);
    EXPECT_EQ(formCode(got), expect.form);
    // Without conditions the two classifications agree.
    if (tree->kind != ObjectKind::comma) {
      EXPECT_EQ(formCode(classify(*tree, for3D)), expect.form);
    }
    if (expect.form == 0) {
      EXPECT_EQ(whyNotGraphable(*tree, for3D), expect.reason);
    }
  }
}

using R = CanGraphReason;

TEST(EquationClassifier, ExplicitAndImplicitEquations) {
  const std::string x = c("x"), y = c("y"), z = c("z"), r = c("r"), th = c("theta"), ph = c("phi");
  const Row rows[] = {
      {"y of x; a surface over x, z in space", eq(y, sq(x)), form(1), form(7)},
      {"x of y", eq(x, sq(y)), form(2), form(6)},
      {"letter on the right", eq(sq(y), x), form(2), form(6)},
      {"two lone letters read left to right", eq(x, y), form(2), form(6)},
      {"polar r of theta; a sphere in space", eq(r, n(1)), form(3), form(8)},
      {"polar theta of r", eq(th, r), form(4), form(9)},
      {"z of x, y", eq(z, k("times", {x, y})), form(5), form(5)},
      {"phi of r, theta", eq(ph, k("times", {r, th})), form(10), form(10)},
      {"cylindrical r of theta, z", eq(r, k("times", {th, z})), form(11), form(11)},
      {"cylindrical z of r, theta", eq(z, k("times", {r, th})), form(12), form(12)},
      {"z of both systems", eq(z, k("plus", {x, r})), form(13), form(13)},
      {"cylindrical theta of r, z", eq(th, k("times", {r, z})), form(14), form(14)},
      {"circle; a cylinder in space", eq(k("plus", {sq(x), sq(y)}), n(1)), form(25), form(26)},
      {"implicit surface", eq(k("times", {x, y, z}), n(1)), form(26), form(26)},
      {"parameters and constants", eq(y, k("plus", {k("times", {c("a"), x}), c("e"), c("pi")})), form(1),
       form(7)},
      {"derivative of x squared", eq(y, k("function", {k("optotal", {x}), sq(x)})), form(1), form(7)},
      {"parenthesised", eq(y, k("id", {k("sin", {x})})), form(1), form(7)},
      {"mixed systems", eq(z, k("times", {r, ph})), why(R::MixedCoordinateSystems),
       why(R::MixedCoordinateSystems)},
      {"rho is no lone variable", eq(c("rho"), x), why(R::WrongForm), why(R::WrongForm)},
      {"r of x is a plane curve only", eq(r, x), form(25), why(R::WrongForm)},
      {"chain of equals", k("equal", {y, x, n(1)}), why(R::WrongForm), why(R::WrongForm)},
      {"unknown function", eq(y, k("function", {c("f"), x})), why(R::WrongForm), why(R::WrongForm)},
      {"empty equation", "prompt[]", why(R::NoEquation), why(R::NoEquation)},
      {"question mark", eq(y, "prompt[]"), why(R::QuestionMarks), why(R::QuestionMarks)},
      {"t outside a curve", eq(y, c("t")), why(R::ParameterT), why(R::ParameterT)},
      {"u outside a surface", eq(z, c("u")), why(R::ParametersUV), why(R::ParametersUV)},
  };
  for (const Row& row : rows) check(row);
}

TEST(EquationClassifier, VectorEquations) {
  const std::string x = c("x"), y = c("y"), z = c("z"), r = c("r"), th = c("theta"), ph = c("phi");
  const std::string t = c("t"), u = c("u"), v = c("v");
  const std::string cost = k("cos", {t}), sint = k("sin", {t});
  const Row rows[] = {
      {"polar curve", eq(vec({r, th}), vec({n(1), t})), form(15), form(15)},
      {"plane vector field", eq(vec({x, y}), vec({k("minus", {y}), x})), form(16), why(R::VectorPlot2DIn3D)},
      {"space vector field", eq(vec({x, y, z}), vec({y, x, z})), form(17), form(17)},
      {"plane curve", eq(vec({x, y}), vec({cost, sint})), form(18), form(18)},
      {"space curve", eq(vec({x, y, z}), vec({cost, sint, t})), form(19), form(19)},
      {"spherical curve", eq(vec({r, th, ph}), vec({n(1), t, t})), form(20), form(20)},
      {"cylindrical curve", eq(vec({r, th, z}), vec({n(1), t, t})), form(21), form(21)},
      {"parametric surface", eq(vec({x, y, z}), vec({u, v, k("times", {u, v})})), form(22), form(22)},
      {"spherical surface", eq(vec({r, th, ph}), vec({n(1), u, v})), form(23), form(23)},
      {"cylindrical surface", eq(vec({r, th, z}), vec({n(1), u, v})), form(24), form(24)},
      {"t and u mixed", eq(vec({x, y, z}), vec({t, u, n(1)})), why(R::WrongForm), why(R::WrongForm)},
      {"wrong letters on the left", eq(vec({y, x}), vec({cost, sint})), why(R::WrongForm),
       why(R::VectorPlot2DIn3D)},
      {"row vector is no vector", eq("matrix[1,2,char[x],char[y]]", "matrix[1,2,char[t],char[t]]"),
       why(R::WrongForm), why(R::WrongForm)},
  };
  for (const Row& row : rows) check(row);
}

TEST(EquationClassifier, ExpressionsAndInequalities) {
  const std::string x = c("x"), y = c("y");
  const Row rows[] = {
      {"constant: a line in the plane, a plane in space", n(3), form(27), form(29)},
      {"expression in x", k("sin", {x}), form(27), form(29)},
      {"expression in y", sq(y), form(28), form(29)},
      {"expression in x and y", k("times", {x, y}), form(29), form(29)},
      {"disc", k("lessthan", {k("plus", {sq(x), sq(y)}), n(4)}), form(30), why(R::Inequality2DIn3D)},
      {"chain of inequalities", k("lessthan", {n(0), x, y}), form(30), why(R::Inequality2DIn3D)},
      {"greater than", k("greaterthan", {y, x}), form(30), why(R::Inequality2DIn3D)},
      {"less or equal", k("leq", {x, n(1)}), form(30), why(R::Inequality2DIn3D)},
      {"chain of greater or equal", k("geq", {x, y, x}), form(30), why(R::Inequality2DIn3D)},
      {"inequality in z", k("lessthan", {c("z"), n(1)}), why(R::WrongForm), why(R::WrongForm)},
  };
  for (const Row& row : rows) check(row);
}

TEST(EquationClassifier, ConditionsAfterTheComma) {
  const std::string x = c("x"), y = c("y"), z = c("z");
  const std::string xPositive = k("greaterthan", {x, n(0)});
  const std::string rgb = eq(vec({c("r"), c("g"), c("b")}), vec({x, y, n(1)}));
  const std::string hsv = eq(vec({c("h"), c("s"), c("v")}), vec({n(1), n(1), x}));
  const std::string disc = k("lessthan", {k("plus", {sq(x), sq(y)}), n(4)});
  const std::string surface = eq(z, k("times", {x, y}));
  const Row rows[] = {
      {"explicit curves take no condition in the plane", k("comma", {eq(y, x), xPositive}),
       why(R::ConditionNotAppropriate), form(7)},
      {"region restricted", k("comma", {disc, xPositive}), form(30), why(R::Inequality2DIn3D)},
      {"region with a chain condition", k("comma", {disc, k("lessthan", {n(0), x, n(1)})}), form(30),
       why(R::Inequality2DIn3D)},
      {"surface restricted", k("comma", {surface, xPositive}), why(R::ConditionNotAppropriate), form(5)},
      {"surface coloured rgb", k("comma", {surface, rgb}), why(R::ConditionNotAppropriate), form(5)},
      {"surface coloured hsv and restricted", k("comma", {surface, hsv, xPositive}),
       why(R::ConditionNotAppropriate), form(5)},
      {"implicit surface coloured", k("comma", {eq(k("times", {x, y, z}), n(1)), rgb}),
       why(R::ConditionNotAppropriate), form(26)},
      {"region cannot be coloured", k("comma", {disc, rgb}), why(R::ConditionUnparsable),
       why(R::Inequality2DIn3D)},
      {"curve cannot be coloured", k("comma", {eq(vec({x, y}), vec({k("cos", {c("t")}), c("t")})), rgb}),
       why(R::ConditionNotAppropriate), why(R::ConditionUnparsable)},
      {"vector mixing coordinates and t", k("comma", {eq(vec({x, y, z}), vec({x, y, c("t")})), xPositive}),
       why(R::WrongForm), why(R::WrongForm)},
      {"less or equal condition", k("comma", {surface, k("leq", {x, n(0)})}), why(R::ConditionNotAppropriate),
       form(5)},
      {"unfinished condition", k("comma", {surface, "prompt[]"}), why(R::ConditionUnparsable),
       why(R::ConditionUnparsable)},
      {"an equation is no condition", k("comma", {surface, eq(x, n(1))}), why(R::ConditionNotAppropriate),
       why(R::ConditionUnparsable)},
  };
  for (const Row& row : rows) check(row);
}

TEST(EquationClassifier, GraphableNodes) {
  const ObjectPtr derivative = read(k("function", {k("optotal", {c("x")}), sq(c("x"))}));
  ASSERT_TRUE(derivative);
  EXPECT_FALSE(isGraphableNode(*derivative, 0));
  EXPECT_TRUE(isGraphableNode(*derivative, Graphable::Derivatives));
  // The operator is graphable only inside its function and over a letter.
  EXPECT_TRUE(isGraphableNode(*derivative->child(0), Graphable::Derivatives));
  const ObjectPtr loose = read(k("optotal", {c("x")}));
  EXPECT_FALSE(isGraphableNode(*loose, Graphable::Derivatives));

  const ObjectPtr letter = read(c("a"));
  EXPECT_FALSE(isGraphableNode(*letter, Graphable::Derivatives));
  for (const unsigned bits :
       {Graphable::EquationStructure, Graphable::ConditionStructure, Graphable::PlainOperands})
    EXPECT_TRUE(isGraphableNode(*letter, bits)) << bits;
  const ObjectPtr pi = read(c("pi"));
  EXPECT_TRUE(isGraphableNode(*pi, 0));

  const ObjectPtr matrix = read(vec({c("x"), c("y")}));
  EXPECT_TRUE(isGraphableNode(*matrix, Graphable::EquationStructure));
  EXPECT_FALSE(isGraphableNode(*matrix, Graphable::ConditionStructure));
  const ObjectPtr less = read(k("lessthan", {c("x"), n(1)}));
  EXPECT_TRUE(isGraphableTree(*less, Graphable::ConditionStructure));
  EXPECT_FALSE(isGraphableTree(*less, Graphable::PlainOperands));
}

TEST(EquationClassifier, OnlyParametersAreRegistered) {
  const ObjectPtr tree =
      read(eq(c("y"), k("plus", {k("times", {c("a"), c("x")}), k("sin", {c("theta")}), c("b"), c("alpha"),
                                 c("e"), c("pi"), c("degree"), c("a")})));
  ASSERT_TRUE(tree);
  ParameterList parameters;
  parameters.set("b", "5");
  parameters.set("w", "2");
  registerParameters(*tree, parameters);
  ASSERT_EQ(parameters.all().size(), 4U);
  EXPECT_EQ(parameters.find("b")->valueText, "5");
  EXPECT_TRUE(parameters.find("b")->inUse);
  EXPECT_FALSE(parameters.find("w")->inUse);
  ASSERT_TRUE(parameters.find("a"));
  EXPECT_EQ(parameters.find("a")->valueText, "1");
  EXPECT_TRUE(parameters.find("a")->inUse);
  ASSERT_TRUE(parameters.find("alpha"));
  EXPECT_TRUE(parameters.find("alpha")->inUse);
}

std::string sub(const std::string& letter, const std::string& index) {
  return "indexes[1,0," + letter + "," + index + "]";
}

// A letter with a subscript of digits and letters names a parameter of its own: a_1 x graphs as
// a x does, and x_1 and t_1 are neither x nor t.
TEST(EquationClassifier, SubscriptedNamesAreParametersOfTheirOwn) {
  const std::string x = c("x"), y = c("y");
  const Row rows[] = {
      {"y = a_1 x", eq(y, k("times", {sub(c("a"), n(1)), x})), form(1), form(7)},
      {"y = x_1 x", eq(y, k("times", {sub(x, n(1)), x})), form(1), form(7)},
      {"y = x_1 is a constant", eq(y, sub(x, n(1))), form(1), form(7)},
      {"y_1 = x is x = y_1, not y = x", eq(sub(y, n(1)), x), form(2), form(6)},
      {"t_1 is no curve parameter", eq(y, k("plus", {sub(c("t"), n(1)), x})), form(1), form(7)},
      {"Greek letter and letters", eq(y, k("times", {sub(c("alpha"), k("times", {c("i"), c("j")})), x})),
       form(1), form(7)},
      {"a subscript that computes", eq(y, sub(c("a"), k("plus", {n(1), n(2)}))), why(R::WrongForm),
       why(R::WrongForm)},
      {"an upper index", eq(y, "indexes[0,1,char[a],num[1,\"1\"]]"), why(R::WrongForm), why(R::WrongForm)},
      {"two subscripts", eq(y, "indexes[2,0,char[a],num[1,\"1\"],num[2,\"2\"]]"), why(R::WrongForm),
       why(R::WrongForm)},
  };
  for (const Row& row : rows) check(row);

  const struct {
    std::string text;
    const char* name;
  } names[] = {
      {sub(c("a"), n(1)), "a_1"},
      {sub(c("x"), c("n")), "x_n"},
      {sub(c("alpha"), n(12)), "alpha_12"},
      {sub(c("a"), k("times", {c("i"), n(2)})), "a_i2"},
      {sub(c("a"), "num[1.5,\"1.5\"]"), ""},
      {sub(n(2), n(1)), ""},
      {c("a"), ""},
  };
  for (const auto& row : names) {
    const ObjectPtr tree = read(row.text);
    ASSERT_TRUE(tree);
    EXPECT_EQ(subscriptedName(*tree), row.name) << row.text;
  }
}

// A letter is used where it stands for itself, not as the letter of a subscripted name.
TEST(EquationClassifier, UsesLetterLooksPastSubscriptedNames) {
  const struct {
    std::string text;
    bool usesN;
  } rows[] = {
      {c("n"), true},
      {sub(c("n"), n(1)), false},
      {k("times", {sub(c("n"), n(1)), c("x")}), false},
      {k("plus", {sub(c("n"), n(1)), c("n")}), true},
      {sub(c("a"), c("n")), false},                 // a_n: the subscript's n is part of the name
      {sub(c("n"), k("plus", {n(1), n(2)})), true}, // n_(1+2) is no name: n stands for itself
      {k("times", {c("m"), c("x")}), false},
  };
  for (const auto& row : rows) {
    const ObjectPtr tree = read(row.text);
    ASSERT_TRUE(tree);
    EXPECT_EQ(usesLetter(*tree, 'n'), row.usesN) << row.text;
  }
}

TEST(EquationClassifier, SubscriptedNamesAreRegisteredAndValuedByName) {
  const ObjectPtr tree = read(eq(c("y"), k("plus", {k("times", {sub(c("a"), n(1)), c("x")}),
                                                    sub(c("b"), n(2)), sub(c("x"), n(1)), c("c")})));
  ASSERT_TRUE(tree);
  ParameterList parameters;
  parameters.set("a_1", "3");
  registerParameters(*tree, parameters);
  // The letters inside a name are not parameters: no a, b or x_1's x.
  std::vector<std::string> listed;
  for (const Parameter& p : parameters.all()) listed.push_back(p.name);
  EXPECT_EQ(listed, (std::vector<std::string>{"a_1", "b_2", "x_1", "c"}));
  EXPECT_EQ(parameters.find("b_2")->valueText, "1");

  parameters.set("x_1", "-2.5");
  substituteSubscriptedNames(*tree, parameters);
  EXPECT_EQ(writeObjectText(*tree), eq(c("y"), k("plus", {k("times", {"num[3,\"3\"]", c("x")}),
                                                          "num[1,\"1\"]", "num[-2.5,\"-2.5\"]", c("c")})));
}

} // namespace
} // namespace vexmar
