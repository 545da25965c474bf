#include "document/document_graphs.h"

#include "../text/text_form_builders.h"
#include "document/document_model.h"
#include "graph/graph_container.h"
#include "model/clock.h"
#include "numeric/numeric_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexmar {
namespace {

using namespace test::text;

// One document of equations (text form, plot style) and whether it is drawn in space.
TEST(DocumentDimension, OneSpaceOnlyEquationPutsTheDocumentInSpace) {
  struct Equation {
    std::string text;
    double plotStyle;
  };
  struct DocumentRow {
    const char* name;
    std::vector<Equation> equations;
    bool space;
  };
  const std::string x = c("x"), y = c("y"), z = c("z");
  const std::string surface = eq(z, k("times", {x, y}));
  const DocumentRow rows[] = {
      {"empty equation", {{"prompt[]", 1}}, false},
      {"plane curve", {{eq(y, sq(x)), 1}}, false},
      {"surface as density", {{surface, 2}}, false},
      {"surface as contour", {{surface, 3}}, false},
      {"surface drawn as surface", {{surface, 1}}, true},
      {"style must be exactly surface", {{surface, 1.5}}, false},
      {"expression in x and y as surface", {{k("times", {x, y}), 1}}, true},
      {"expression in x alone stays a curve", {{x, 1}}, false},
      {"one space-only equation decides", {{eq(y, x), 2}, {eq(x, k("times", {y, z})), 2}}, true},
      {"plane curve from a vector", {{eq(vec({x, y}), vec({c("t"), c("t")})), 1}}, false},
      {"implicit surface", {{eq(k("plus", {sq(x), sq(y), sq(z)}), n(1)), 3}}, true},
      {"space vector field", {{eq(vec({x, y, z}), vec({y, x, z})), 3}}, true},
  };
  for (const DocumentRow& row : rows) {
    SCOPED_TRACE(row.name);
    DocumentModel document;
    for (const Equation& e : row.equations) {
      EquationRecord& record = document.addEquation(document.equationCount() - 1);
      record.plotStyle = e.plotStyle;
      record.insertionPoint->setRoot(read(e.text));
    }
    EXPECT_EQ(documentIs3D(document), row.space);
  }
  EXPECT_FALSE(documentIs3D(DocumentModel{}));
}

class DocumentGraphs : public ::testing::Test {
protected:
  void SetUp() override { resetNumericState(); }

  ManualClock clock{0, 1};
  CGraphContainer container{{0, 0, 400, 600}, clock};
};

TEST_F(DocumentGraphs, RebuildStoresIndexesAndDropsSurfacePatternsInThePlane) {
  DocumentModel document;
  const std::string texts[] = {eq(c("y"), c("x")), eq(c("y"), "prompt[]"),
                               eq(k("times", {c("x"), c("y")}), "num[1,\"1\"]"),
                               eq(c("y"), "sin[" + c("x") + "]")};
  for (int i = 0; i < 4; ++i) {
    EquationRecord& record = document.addEquation(i - 1);
    record.insertionPoint->setRoot(read(texts[i]));
    record.status = 5;
  }
  document.equation(0).colourCode = 12.0;
  rebuildAllGraphs(container, document);
  EXPECT_EQ(document.equation(0).graphIndex, 0);
  EXPECT_EQ(document.equation(1).graphIndex, -1);
  EXPECT_EQ(document.equation(2).graphIndex, 1);
  EXPECT_EQ(document.equation(3).graphIndex, 2);
  EXPECT_EQ(document.equation(0).colourCode, 1.0);
  EXPECT_EQ(document.equation(3).status, 0);
}

// y = a_1 x is graphed with a_1 a parameter of its own, listed as letters are, and y = x_1 x
// with x_1 no x: both are lines through the origin of slope 1 at first.
TEST_F(DocumentGraphs, ASubscriptedNameIsGraphedAsAParameterOfItsOwn) {
  DocumentModel document;
  const std::string texts[] = {eq(c("y"), k("times", {"indexes[1,0,char[a],num[1,\"1\"]]", c("x")})),
                               eq(c("y"), k("times", {"indexes[1,0,char[x],num[1,\"1\"]]", c("x")}))};
  for (int i = 0; i < 2; ++i) document.addEquation(i - 1).insertionPoint->setRoot(read(texts[i]));
  rebuildAllGraphs(container, document);
  EXPECT_EQ(document.equation(0).graphIndex, 0);
  EXPECT_EQ(document.equation(1).graphIndex, 1);
  const ParameterList& parameters = numericState().parameters;
  ASSERT_NE(parameters.find("a_1"), nullptr);
  EXPECT_EQ(parameters.find("a_1")->valueText, "1");
  EXPECT_TRUE(parameters.find("a_1")->inUse);
  ASSERT_NE(parameters.find("x_1"), nullptr);
  EXPECT_EQ(parameters.find("a"), nullptr);
  // The line's own tree keeps its names.
  EXPECT_EQ(writeObjectText(*document.equation(0).insertionPoint->root), texts[0]);
}

} // namespace
} // namespace vexmar
