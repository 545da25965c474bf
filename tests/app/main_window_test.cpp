#include "app/main_window.h"

#include "app/equation_view.h"
#include "app/graph_view.h"
#include "app/vexmar_document.h"
#include "editor/editor_state.h"
#include "graph/plane/density_plot.h"
#include "model/memory_reserve.h"
#include "test_application.h"
#include "text/object_text.h"
#include "typeset/typesetter.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vexmar {
namespace {

using test::application;

// The main window as a first start or a later one opens it, with the settings the test leaves.
struct MainWindowTest : ::testing::Test {
  void SetUp() override {
    (void)application();
    QSettings().clear();
    resetEditorState();
    memoryReserve().reset();
  }
  void TearDown() override {
    window.reset();
    QSettings().clear();
  }

  void open() {
    window = std::make_unique<MainWindow>();
    window->setMessagePresenter([](const QString&) {});
    window->show();
    window->activateWindow();
    window->equationView().setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  [[nodiscard]] QList<int> panes() const { return window->splitter()->sizes(); }
  /// The window's action with this menu text; null when there is none.
  [[nodiscard]] QAction* action(const QString& menuText) const {
    for (QAction* a : window->findChildren<QAction*>())
      if (a->text() == menuText) return a;
    return nullptr;
  }
  [[nodiscard]] std::string text(int index) {
    return writeObjectText(*window->document().model().equation(index).insertionPoint->root);
  }

  std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, TheFirstStartOpensAWindowThatFitsTheScreen) {
  open();
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  SCOPED_TRACE(QString("%1 x %2 screen").arg(available.width()).arg(available.height()).toStdString());
  EXPECT_GE(window->width(), std::min(640, available.width()));
  EXPECT_GE(window->height(), std::min(480, available.height() * 3 / 4));
  EXPECT_LE(window->width(), available.width());
  EXPECT_LE(window->height(), available.height());
  EXPECT_TRUE(available.contains(window->geometry()));
  // A few equations above a graph that has most of the room.
  ASSERT_EQ(panes().size(), 2);
  EXPECT_GE(panes()[0], 150);
  EXPECT_GE(panes()[1], panes()[0]);
}

TEST_F(MainWindowTest, AStoredPaneSizeNeverSqueezesEitherPane) {
  struct Row {
    const char* name;
    int stored;
  };
  const Row rows[] = {
      {"from a larger screen", 5000},
      {"all but a strip of this frame", 520},
      {"nearly nothing", 3},
      {"ordinary", 150},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QSettings settings;
    settings.setValue("FrameSizeX", 500);
    settings.setValue("FrameSizeY", 600);
    settings.setValue("EqnPaneSize", row.stored);
    settings.sync();
    open();
    const int total = panes()[0] + panes()[1];
    EXPECT_GE(panes()[1], total / 3);
    EXPECT_GE(panes()[0], 60);
    if (row.stored == 150) {
      EXPECT_EQ(panes()[0], 150);
    }
    window.reset();
  }
}

TEST_F(MainWindowTest, GraphMenuShortcutsZoomAndNeverTypeIntoTheEquation) {
  open();
  CVexmarView& view = window->equationView();
  for (const char c : std::string("y=x+1")) QTest::keyClick(&view, c);
  const std::string typed = text(0);
  const CGraphPlane& plane = window->graphView().container().plane();
  int zooms = 0;
  for (QAction* action : window->graphMenu()->actions()) {
    const QKeySequence keys = action->shortcut();
    if (keys.isEmpty()) continue;
    SCOPED_TRACE(action->text().toStdString());
    const double scale = plane.settings().scale;
    const QKeyCombination key = keys[0];
    QTest::keyClick(&view, key.key(), key.keyboardModifiers());
    EXPECT_EQ(text(0), typed);
    if (action->text().startsWith("Zoom")) {
      EXPECT_NE(plane.settings().scale, scale);
      ++zooms;
    }
  }
  EXPECT_EQ(zooms, 2);
}

TEST_F(MainWindowTest, ALongEquationBreaksIntoLinesWithinThePane) {
  open();
  window->resize(700, 500);
  // 400 numbered terms: far wider than 8,192 pixels in a row.
  std::string sum = "equal[char[y],plus[num[1,\"1\"]";
  for (int i = 2; i <= 400; ++i) sum += ",num[" + std::to_string(i) + ",\"" + std::to_string(i) + "\"]";
  InsertionPoint& ip = *window->document().model().equation(0).insertionPoint;
  ip.setRoot(readObjectText(sum + "]]"));
  window->document().noteEquationsEdited();
  QApplication::processEvents();
  CVexmarView& view = window->equationView();
  ASSERT_TRUE(ip.layoutValid);
  EXPECT_GT(toPixels(ip.root->width), 2 * 8192);
  const std::vector<DisplayLine> lines = Typesetter::displayLines(ip);
  EXPECT_EQ(lines.back().end, ip.root->width);
  EXPECT_GE(static_cast<double>(lines.size()), toPixels(ip.root->width) / view.viewport()->width());
  // Every display line fits the pane: nothing to scroll sideways to.
  EXPECT_LE(toPixels(Typesetter::drawnWidth(ip)), view.viewport()->width());
  EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
  // The last display line is drawn: scrolled into view, it holds ink across several terms.
  view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
  const QImage shown = view.viewport()->grab().toImage();
  const int lastTop = view.equationOrigin(0).y() + static_cast<int>(toPixels(lines.back().shift));
  const double ratio = shown.devicePixelRatio();
  int inkColumns = 0;
  for (int x = 0; x < shown.width(); ++x) {
    bool ink = false;
    for (int y = static_cast<int>(lastTop * ratio); y < std::min<int>(shown.height(), (lastTop + 30) * ratio);
         ++y)
      ink = ink || (y >= 0 && qGray(shown.pixel(x, y)) < 100);
    inkColumns += ink;
  }
  EXPECT_GT(inkColumns, 60);
}

TEST_F(MainWindowTest, BackspaceOnAnEmptyLineAndTheEditMenuDeleteEquations) {
  open();
  CVexmarView& view = window->equationView();
  VexmarDocument& document = window->document();
  const auto type = [&](const std::string& keys) {
    for (const char c : keys) QTest::keyClick(&view, c);
  };
  type("y=x");
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  type("y=2");
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_Return);
  window->graphView().finishGraphs();
  ASSERT_EQ(document.equationCount(), 3);
  EXPECT_EQ(window->graphView().container().plane().graphCount(), 2);
  const std::string first = text(0), second = text(1);

  // The empty third line goes; the caret is at the end of the line above, ready to type on.
  QTest::keyClick(&view, Qt::Key_Backspace);
  ASSERT_EQ(document.equationCount(), 2);
  EXPECT_EQ(document.currentEquation(), 1);
  type("+1");
  EXPECT_NE(text(1), second);
  EXPECT_EQ(text(1).rfind("equal[char[y],plus[num[2", 0), 0u) << text(1);
  // Backspace elsewhere edits as before: the line stays until it is empty.
  for (int i = 0; i < 20 && text(1) != "prompt[]"; ++i) QTest::keyClick(&view, Qt::Key_Backspace);
  EXPECT_EQ(document.equationCount(), 2);
  QTest::keyClick(&view, Qt::Key_Backspace);
  EXPECT_EQ(document.equationCount(), 1);
  EXPECT_EQ(text(0), first);
  // The first line has nothing above it to join.
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_Up, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  ASSERT_EQ(document.equationCount(), 3);

  // The menu entry removes the current equation whatever it holds, and its graph with it.
  QAction* remove = action("&Delete Equation");
  ASSERT_NE(remove, nullptr);
  document.setCurrentEquation(0);
  remove->trigger();
  window->graphView().finishGraphs();
  EXPECT_EQ(document.equationCount(), 2);
  EXPECT_EQ(document.currentEquation(), 0);
  EXPECT_EQ(window->graphView().container().plane().graphCount(), 0);
  remove->trigger();
  remove->trigger();
  EXPECT_EQ(document.equationCount(), 1);
  EXPECT_EQ(text(0), "prompt[]");
  QTest::keyClick(&view, Qt::Key_Backspace);
  EXPECT_EQ(document.equationCount(), 1);
}

TEST_F(MainWindowTest, UndoPutsADeletedEquationBackAndRedoDeletesItAgain) {
  open();
  CVexmarView& view = window->equationView();
  VexmarDocument& document = window->document();
  CGraphView& graphs = window->graphView();
  const auto type = [&](const std::string& keys) {
    for (const char c : keys) QTest::keyClick(&view, c);
  };
  const auto graphCount = [&] {
    graphs.finishGraphs();
    return graphs.container().plane().graphCount();
  };
  const auto caretPath = [&](int line) {
    const InsertionPoint& ip = *document.model().equation(line).insertionPoint;
    return std::pair(pathTo(*ip.current), ip.mode);
  };
  type("y=x");
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  type("y=2+x");
  QTest::keyClick(&view, Qt::Key_Left);
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_Return);
  ASSERT_EQ(document.equationCount(), 3);
  ASSERT_EQ(graphCount(), 2);
  const std::string first = text(0), second = text(1);
  const auto secondCaret = caretPath(1);

  // The menu entry on a line with content: Undo brings it back with its caret and its graph.
  QAction* remove = action("&Delete Equation");
  ASSERT_NE(remove, nullptr);
  document.setCurrentEquation(1);
  remove->trigger();
  ASSERT_EQ(document.equationCount(), 2);
  EXPECT_EQ(graphCount(), 1);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(document.equationCount(), 3);
    EXPECT_EQ(document.currentEquation(), 1);
    EXPECT_EQ(text(0), first);
    EXPECT_EQ(text(1), second);
    EXPECT_EQ(text(2), "prompt[]");
    EXPECT_EQ(caretPath(1), secondCaret);
    EXPECT_EQ(graphCount(), 2);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(document.equationCount(), 2);
    EXPECT_EQ(document.currentEquation(), 0);
    EXPECT_EQ(text(1), "prompt[]");
    EXPECT_EQ(graphCount(), 1);
  }
  QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(document.equationCount(), 3);

  // Backspace on the empty line: what is typed on the line above is undone first, then the line
  // comes back.
  document.setCurrentEquation(2);
  QTest::keyClick(&view, Qt::Key_Backspace);
  ASSERT_EQ(document.equationCount(), 2);
  EXPECT_EQ(document.currentEquation(), 1);
  type("+1");
  QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(text(1), second);
  EXPECT_EQ(document.equationCount(), 2);
  QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(document.equationCount(), 3);
  EXPECT_EQ(document.currentEquation(), 2);
  EXPECT_EQ(text(2), "prompt[]");
}

TEST_F(MainWindowTest, StatusesAndKindsOfGraphNotDrawnYetAreShownUnderTheirEquations) {
  open();
  CVexmarView& view = window->equationView();
  VexmarDocument& document = window->document();
  const auto type = [&](const std::string& keys) {
    for (const char c : keys) QTest::keyClick(&view, c);
  };
  type("x<x");
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  type("y=x");
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  type("y=");
  QTest::keyClick(&view, Qt::Key_Return);
  window->graphView().finishGraphs();
  EXPECT_EQ(document.messageLine(0), "False everywhere");
  EXPECT_EQ(document.messageLine(1), "");
  EXPECT_EQ(document.messageLine(2), "Can't graph equations with question marks");

  // An equation in space turns the whole pane to space: a surface in its box.
  const auto inked = [&] {
    const QImage pane = window->graphView().grab().toImage();
    int count = 0;
    for (int y = 0; y < pane.height(); ++y)
      for (int x = 0; x < pane.width(); ++x) count += qGray(pane.pixel(x, y)) < 200;
    return count;
  };
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  type("z=x y");
  window->graphView().finishGraphs();
  EXPECT_EQ(document.messageLine(3), "");
  EXPECT_GT(inked(), 200);
  // Implicit surfaces are recognised but have no graph kind yet, and say so.
  QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
  for (const char* part : {"x^2", "+y^2", "+z^2"}) {
    type(part);
    QTest::keyClick(&view, Qt::Key_Right);
  }
  type("=1");
  window->graphView().finishGraphs();
  EXPECT_EQ(document.messageLine(4), "Graphs in space are recognised but not drawn yet");
}

// The Graph menu's plot style turns the current z = f(x, y) between a surface in space and a
// density or contour plot in the plane, and shows the current equation's style checked.
TEST_F(MainWindowTest, PlotStyleEntriesRedrawTheCurrentEquation) {
  open();
  CVexmarView& view = window->equationView();
  VexmarDocument& document = window->document();
  for (const char c : std::string("z=x y")) QTest::keyClick(&view, c);
  QTest::keyClick(&view, Qt::Key_Return);
  struct Row {
    const char* entry;
    double style;
    bool inPlane;
  };
  for (const Row& row : {Row{"De&nsity Plot", 2.0, true}, Row{"Con&tour Plot", 3.0, true},
                         Row{"&Surface", 1.0, false}, Row{"De&nsity Plot", 2.0, true}}) {
    SCOPED_TRACE(row.entry);
    QAction* entry = action(row.entry);
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    window->graphView().finishGraphs();
    EXPECT_EQ(document.currentRecord().plotStyle, row.style);
    EXPECT_TRUE(document.isModified());
    const CGraphContainer& container = window->graphView().container();
    EXPECT_EQ(container.is3DActive(), !row.inPlane);
    if (row.inPlane) {
      const CGraph2D* graph = container.plane().graph(document.currentRecord().graphIndex);
      ASSERT_NE(graph, nullptr);
      EXPECT_EQ(dynamic_cast<const CDensityPlot*>(graph) != nullptr, row.style == 2.0);
      EXPECT_EQ(document.messageLine(0), "");
    }
    emit window->graphMenu()->aboutToShow();
    EXPECT_TRUE(entry->isChecked());
  }
}

// The animated letter is in use where it stands for itself, not as the letter of a name such as
// n_1, which is a parameter of its own.
TEST_F(MainWindowTest, TheAnimatedLetterIsInUseOnlyWhereItStandsForItself) {
  open();
  CVexmarView& view = window->equationView();
  const auto type = [&](const std::string& keys) {
    for (const char c : keys) QTest::keyClick(&view, c);
  };
  type("y=n_1");
  QTest::keyClick(&view, Qt::Key_Right);
  type("x");
  EXPECT_EQ(text(0), "equal[char[y],times[indexes[1,0,char[n],num[1,\"1\"]],char[x]]]");
  EXPECT_FALSE(window->document().model().anyUsesAnimationVariable());
  type("+n");
  EXPECT_TRUE(window->document().model().anyUsesAnimationVariable());
}

TEST_F(MainWindowTest, HelpOpensTheGettingStartedPageNamingEveryShortcut) {
  open();
  QAction* help = nullptr;
  for (QAction* action : window->findChildren<QAction*>())
    if (action->text() == "&Getting Started") help = action;
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
  help->trigger();
  const auto* browser = window->findChild<QTextBrowser*>("HelpBrowser");
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(browser->isVisible());
  const QString page = browser->toPlainText();
  EXPECT_TRUE(page.startsWith("Getting started with Vexmar")) << page.left(80).toStdString();
  // Every shortcut of the menus, spelt as the menus show it.
  for (const QAction* action : window->findChildren<QAction*>()) {
    if (action->shortcut().isEmpty()) continue;
    EXPECT_TRUE(page.contains(action->shortcut().toString())) << action->text().toStdString();
  }
  // And the keys the equation pane takes that no menu shows.
  for (const char* key :
       {"Enter", "Backspace", "Tab", "Home", "End", "Ctrl+Up", "Ctrl+Home", "Ctrl+P", "Ctrl+R"})
    EXPECT_TRUE(page.contains(key)) << key;
  // Home and End move the caret; they leave nothing selected.
  EXPECT_FALSE(page.contains("Home and End select"));
}

} // namespace
} // namespace vexmar
