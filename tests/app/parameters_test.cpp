// Ahead of every Qt header, whose keyword macros would rewrite the engine's `slots` member.
#include "numeric/numeric_state.h"

#include "app/graph_view.h"
#include "app/parameters_window.h"
#include "app/slider_bar.h"
#include "app/vexmar_document.h"
#include "cli/active_line.h"
#include "graph/plane/implicit_curve.h"
#include "graph/space/graph_space_3d.h"
#include "model/clock.h"
#include "test_application.h"

#include <QApplication>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include <memory>
#include <string>
#include <vector>

namespace vexmar {
namespace {

using test::application;

class ParametersTest : public ::testing::Test {
protected:
  void SetUp() override {
    (void)application();
    resetNumericState();
    numericState().animatedVariable = 'n';
    numericState().animationValue = 1.0;
    view = std::make_unique<CGraphView>(document, clock);
    view->resize(400, 300);
    view->show();
    bar = std::make_unique<CSliderBar>(document, *view);
    frame = std::make_unique<CParamFrame>(document, *view);
    frame->setMessagePresenter([this](const QString& text) { messages.push_back(text.toStdString()); });
    QApplication::processEvents();
  }
  void TearDown() override {
    frame.reset();
    bar.reset();
    view.reset();
    resetNumericState();
  }

  void type(int index, const std::string& keys) { test::typeEquation(document, index, keys); }
  void graph() {
    view->drawGraph();
    view->finishGraphs();
  }
  // The row of a parameter in the window's table, or -1.
  int rowOf(const std::string& name) {
    for (int row = 0; row < frame->parameters()->rowCount(); ++row)
      if (frame->parameters()->item(row, 0)->text().toStdString() == name) return row;
    return -1;
  }
  void edit(QTableWidget* table, int row, int column, const QString& text) {
    table->item(row, column)->setText(text);
    QApplication::processEvents(); // the table is refilled after the edit
  }

  ManualClock clock{0, 1};
  VexmarDocument document;
  std::unique_ptr<CGraphView> view;
  std::unique_ptr<CSliderBar> bar;
  std::unique_ptr<CParamFrame> frame;
  std::vector<std::string> messages;
};

TEST_F(ParametersTest, MovingTheSliderRedrawsTheGraphsThatUseItsLetter) {
  type(0, "y=n x");
  graph();
  const QImage before = view->picture();
  bar->valueSlider()->setValue(bar->valueSlider()->value() + 3);
  view->finishGraphs();
  EXPECT_DOUBLE_EQ(numericState().animationValue, 4.0);
  EXPECT_EQ(bar->valueText(), "4");
  EXPECT_NE(view->picture(), before);
}

TEST_F(ParametersTest, SliderValuesAreCheckedAndANewLetterIsAnimated) {
  SliderValuesDialog dialog(document.animation().settings());
  std::vector<std::string> refused;
  dialog.setMessagePresenter([&](const QString& text) { refused.push_back(text.toStdString()); });
  dialog.variable->setText("");
  dialog.accept();
  EXPECT_EQ(refused, (std::vector<std::string>{"The variable name must be a single letter."}));
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  dialog.lowest->setValue(10);
  dialog.highest->setValue(0);
  dialog.steps->setValue(5);
  dialog.variable->setText("a");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.settings(), (SliderSettings{0, 10, 5, 'a'}));

  // The letter typed ahead of the dialog's fields is refused by the field itself.
  dialog.variable->clear();
  QTest::keyClicks(dialog.variable, "7b");
  EXPECT_EQ(dialog.variable->text(), "b");
}

TEST_F(ParametersTest, EnterParameterRefusesLettersThatCannotBeParameters) {
  EnterParameterDialog dialog("a");
  std::vector<std::string> refused;
  dialog.setMessagePresenter([&](const QString& text) { refused.push_back(text.toStdString()); });
  for (const char* name : {"", "e", "x"}) {
    dialog.name->setText(name);
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted) << name;
  }
  EXPECT_EQ(refused,
            (std::vector<std::string>{"You must type in a parameter name",
                                      "'e' is the base of natural logarithms,\n and is not a valid parameter",
                                      "'x' is used to graph equations,\n and is not a valid parameter"}));
  dialog.name->setText("b");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(ParametersTest, EditsInTheParametersWindowReachTheGraphs) {
  type(0, "y=a x");
  graph();
  frame->refresh();
  const int row = rowOf("a");
  ASSERT_GE(row, 0);
  EXPECT_EQ(frame->parameters()->item(row, 1)->text(), "1");
  const QImage before = view->picture();

  edit(frame->parameters(), row, 1, "3");
  view->finishGraphs();
  EXPECT_DOUBLE_EQ(numericState().parameters.valueForName("a"), 3.0);
  EXPECT_NE(view->picture(), before);

  // Refused entries change nothing and say why.
  edit(frame->parameters(), rowOf("a"), 1, "three");
  edit(frame->parameters(), rowOf("a"), 0, "e");
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "The value must be a number.",
                          "'e' is the base of natural logarithms,\n and is not a valid parameter"}));
  EXPECT_DOUBLE_EQ(numericState().parameters.valueForName("a"), 3.0);
  EXPECT_GE(rowOf("a"), 0);

  // The last row adds a parameter.
  edit(frame->parameters(), frame->parameters()->rowCount() - 1, 0, "b");
  EXPECT_NE(numericState().parameters.find("b"), nullptr);

  // A coordinate range edited in place reaches the plane; a reversed one is refused.
  const int t = 6;
  edit(frame->coordinates(), t, 2, "5");
  EXPECT_EQ(view->container().plane().settings().tRange.max, 5.0);
  edit(frame->coordinates(), t, 1, "9");
  EXPECT_EQ(messages.back(), "The minimum must be less than the maximum.");
  EXPECT_EQ(view->container().plane().settings().tRange.min, 0.0);
}

// In space the ranges set the box and what the surfaces run over; a reversed one is refused too.
TEST_F(ParametersTest, RangesInSpaceReachTheBoxAndRefuseAReversedOne) {
  type(0, "z=x y");
  graph();
  ASSERT_TRUE(view->container().is3DActive());
  frame->refresh();
  const int z = static_cast<int>(Coordinate::Z);
  const std::size_t before = messages.size();
  edit(frame->coordinates(), z, 2, "8");
  EXPECT_EQ(view->container().space3D().range(z)->max, 8.0);
  edit(frame->coordinates(), z, 1, "9");
  ASSERT_EQ(messages.size(), before + 1);
  EXPECT_EQ(messages.back(), "The minimum must be less than the maximum.");
  EXPECT_EQ(view->container().space3D().range(z)->min, -2.0);
}

// Parameters and ranges are saved with the document: changing them is a change to save.
TEST_F(ParametersTest, ParametersAndRangesAreUnsavedChanges) {
  type(0, "y=a x");
  graph();
  struct Row {
    const char* name;
    std::function<void()> change;
  };
  const std::vector<Row> rows = {
      {"a parameter's value", [&] { edit(frame->parameters(), rowOf("a"), 1, "3"); }},
      {"a parameter's name", [&] { edit(frame->parameters(), rowOf("a"), 0, "c"); }},
      {"a range", [&] { edit(frame->coordinates(), 6, 2, "5"); }},
      {"the slider", [&] { bar->valueSlider()->setValue(bar->valueSlider()->value() + 1); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    document.setModified(false);
    row.change();
    EXPECT_TRUE(document.isModified());
  }
}

TEST_F(ParametersTest, AnimatingThroughValuesSeenBeforeComputesNoMapAgain) {
  type(0, "x^2{Right}+n y^2{Right}<4");
  clock.setStepPerReading(0); // time moves only between the steps
  SliderSettings settings{1, 3, 2, 'n'};
  document.animation().setSettings(settings);
  document.animation().setPosition(1);
  graph();
  const auto* region = dynamic_cast<const CImplicitCurve*>(view->container().plane().graph(0));
  ASSERT_NE(region, nullptr);
  view->setAnimating(true);
  std::vector<double> values;
  int mapsAfterFirstSweep = 0;
  for (int i = 0; i < 12; ++i) {
    clock.advance(AnimationSlider::kStepIntervalMs);
    view->idleStep();
    view->finishGraphs();
    values.push_back(numericState().animationValue);
    if (i == 3) mapsAfterFirstSweep = region->mapsComputed();
  }
  EXPECT_EQ((std::vector<double>(values.begin(), values.begin() + 4)), (std::vector<double>{2, 3, 2, 1}));
  EXPECT_EQ(region->mapsComputed(), mapsAfterFirstSweep) << "every later value came from the cache";
  view->setAnimating(false);
  EXPECT_FALSE(document.animation().animating());
}

} // namespace
} // namespace vexmar
