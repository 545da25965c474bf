#include "graph/graph_style.h"

#include "graph/graph_form.h"
#include "graph/graph_messages.h"

#include <gtest/gtest.h>

#include <limits>

namespace vexmar {
namespace {

TEST(GraphStyle, ColourIndexSetsModeAndColour) {
  struct Row {
    const char* name;
    double index;
    int mode;
    ColourRef colour;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Row rows[] = {
      {"purple", 1, 0, 0xCE00CE},
      {"red", 2, 0, 0x0000FF},
      {"blue", 3, 0, 0xFF0000},
      {"green", 4, 0, 0x00CE00},
      {"cyan", 5, 0, 0xFFFF00},
      {"yellow", 6, 0, 0x00FFFF},
      {"mauve", 7, 0, 0xF0C0F0},
      {"frost", 8, 0, 0xCCCCCC},
      {"fraction truncates", 2.9, 0, 0x0000FF},
      {"nine is no colour", 9, 0, 0xFFFFFF},
      {"zero", 0, 0, 0xFFFFFF},
      {"first pattern keeps the colour", 10, 1, 0x123456},
      {"last pattern", 16, 7, 0x123456},
      {"texture", 999, 8, 0x123456},
      {"past the patterns", 17, 0, 0xFFFFFF},
      {"negative", -2, 0, 0xFFFFFF},
      {"not a number", nan, 0, 0xFFFFFF},
      {"huge", 1e300, 0, 0xFFFFFF},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    GraphStyle style;
    style.mode = 3;
    style.colour = 0x123456;
    style.setFromColourIndex(row.index);
    EXPECT_EQ(style.mode, row.mode);
    EXPECT_EQ(style.colour, row.colour);
  }
  const GraphStyle fresh;
  EXPECT_EQ(fresh.mode, 0);
  EXPECT_EQ(fresh.colour, 0xCE00CEU);
  EXPECT_EQ(colourForIndex(12), 0xFFFFFFU);
}

TEST(GraphMessages, StringIdsReachBothTables) {
  for (int code = 0; code < kCanGraphReasonCount; ++code) {
    const auto reason = static_cast<CanGraphReason>(code);
    EXPECT_FALSE(canGraphReasonMessage(reason).empty()) << code;
    EXPECT_EQ(graphStringById(kCanGraphReasonStringBase + code), canGraphReasonMessage(reason)) << code;
  }
  for (int code = 0; code < kGraphStatusCount; ++code) {
    const auto status = static_cast<GraphStatus>(code);
    EXPECT_EQ(graphStatusMessage(status).empty(), code == 0) << code;
    EXPECT_EQ(graphStringById(kGraphStatusStringBase + code), graphStatusMessage(status)) << code;
  }
  EXPECT_EQ(canGraphReasonMessage(CanGraphReason::NoEquation), "No equation to graph.  Try 'y = x'");
  EXPECT_EQ(graphStatusMessage(GraphStatus::NotSatisfiedInRanges),
            "Not satisfied in the coordinate ranges given");
  // The editing hints share the reasons' ids but are no reasons.
  EXPECT_EQ(graphStringById(61512), "Use 'y' instead of 'f(x)'");
  EXPECT_TRUE(canGraphReasonMessage(static_cast<CanGraphReason>(12)).empty());
  EXPECT_TRUE(graphStringById(61513).empty());
  EXPECT_TRUE(graphStringById(61482).empty());
}

TEST(GraphForm, WhatEachFormAccepts) {
  struct Row {
    int form;
    bool conditionsIn2D, conditionsIn3D, colourIn3D, patterned;
  };
  const Row rows[] = {
      {0, false, false, false, false}, {1, false, false, false, false}, {5, false, true, true, true},
      {14, false, true, true, true},   {15, false, true, false, false}, {16, false, false, false, false},
      {17, false, true, false, false}, {22, false, true, true, true},   {25, false, false, false, false},
      {26, false, true, true, false},  {29, false, true, true, true},   {30, true, true, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.form);
    const auto form = static_cast<GraphForm>(row.form);
    EXPECT_EQ(acceptsInequalityConditions(form, false), row.conditionsIn2D);
    EXPECT_EQ(acceptsInequalityConditions(form, true), row.conditionsIn3D);
    EXPECT_EQ(acceptsColourFormula(form, true), row.colourIn3D);
    EXPECT_FALSE(acceptsColourFormula(form, false));
    EXPECT_EQ(isPatternedSurfaceForm(form), row.patterned);
  }
}

} // namespace
} // namespace vexmar
