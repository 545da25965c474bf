#include "app/main_window.h"

#include "app/equation_view.h"
#include "app/vexmar_document.h"
#include "editor/editor_state.h"
#include "model/memory_reserve.h"
#include "test_application.h"
#include "text/object_text.h"

#include <QSettings>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace vexmar {
namespace {

using test::application;

struct ActionStatus : ::testing::Test {
  void SetUp() override {
    (void)application();
    QSettings().clear();
    resetEditorState();
    memoryReserve().reset();
    window = std::make_unique<MainWindow>();
    window->setMessagePresenter([](const QString&) {});
    window->show();
    window->activateWindow();
    window->equationView().setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override { window.reset(); }

  /// Puts `text` (a text form) on the first line, wholly selected.
  void start(const char* text) {
    InsertionPoint& ip = *window->document().model().equation(0).insertionPoint;
    ObjectPtr root = readObjectText(text);
    ASSERT_TRUE(root) << text;
    ip.setRoot(std::move(root));
  }
  QString status() const { return window->statusBar()->currentMessage(); }

  std::unique_ptr<MainWindow> window;
};

TEST_F(ActionStatus, AlgebraActionsSayInTheStatusBarWhyTheyDidNothing) {
  start("plus[char[a],char[b]]");
  window->equationView().performCommand(Command::Evaluate); // as the Math menu does
  EXPECT_EQ(status().toStdString(), "Nothing to evaluate: the selection has free letters (a, b)");

  start("power[id[plus[char[x],num[1,\"1\"]]],num[30,\"30\"]]");
  QTest::keyClick(&window->equationView(), Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(status().toStdString(), "Not fully expanded: powers of sums above 23 are left as they are");

  // Evaluate into the equation writes the expression's copy but can give it no value either.
  start("plus[char[a],char[b]]");
  window->equationView().performCommand(Command::EvaluateIntoEquation);
  EXPECT_EQ(status().toStdString(), "Nothing to evaluate: the selection has free letters (a, b)");
  start("plus[num[2,\"2\"],num[3,\"3\"]]");
  window->equationView().performCommand(Command::EvaluateIntoEquation);
  EXPECT_TRUE(status().isEmpty()) << status().toStdString();

  // An action that did its work takes the last one's message away.
  start("plus[char[x],char[x]]");
  window->equationView().performCommand(Command::Simplify);
  EXPECT_TRUE(status().isEmpty()) << status().toStdString();
}

} // namespace
} // namespace vexmar
