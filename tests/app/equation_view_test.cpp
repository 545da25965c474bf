#include "app/equation_view.h"
#include "app/graph_view.h"

#include "app/main_window.h"
#include "app/qt_clipboard.h"
#include "app/typesetting_session.h"
#include "app/vexmar_document.h"
#include "cli/active_line.h"
#include "cli/command_line.h"
#include "cli/subcommands.h"
#include "editor/editor_state.h"
#include "graph/graph_messages.h"
#include "model/memory_reserve.h"
#include "model/model_state.h"
#include "numeric/error_word.h"
#include "test_application.h"
#include "text/object_text.h"
#include "typeset/layout_steps.h"
#include "typeset/typesetter.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QSlider>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>

namespace vexmar {
namespace {

using test::application;

struct Window : ::testing::Test {
  void SetUp() override {
    (void)application();
    QSettings().clear();
    resetEditorState();
    memoryReserve().reset();
    window = std::make_unique<MainWindow>();
    window->setMessagePresenter([this](const QString& text) { messages.push_back(text); });
    window->show();
    window->activateWindow();
    view().setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override { window.reset(); }

  CVexmarView& view() { return window->equationView(); }
  VexmarDocument& document() { return window->document(); }
  InsertionPoint& line(int index) { return *document().model().equation(index).insertionPoint; }
  std::string text(int index) { return writeObjectText(*line(index).root); }

  // Types KEYS (the `type` subcommand's notation) into the view as key events.
  void typeKeys(const std::string& keys) {
    struct Named {
      const char* name;
      Qt::Key key;
    };
    static const Named kNamed[] = {
        {"Left", Qt::Key_Left},  {"Right", Qt::Key_Right}, {"Up", Qt::Key_Up},   {"Down", Qt::Key_Down},
        {"Home", Qt::Key_Home},  {"End", Qt::Key_End},     {"Tab", Qt::Key_Tab}, {"BS", Qt::Key_Backspace},
        {"Del", Qt::Key_Delete}, {"Enter", Qt::Key_Return}};
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (static_cast<unsigned char>(keys[i]) >= 0x80) {
        // A character beyond ASCII arrives as the text of a key event, as a keyboard layout or an
        // input method delivers it.
        std::size_t end = i + 1;
        while (end < keys.size() && (static_cast<unsigned char>(keys[end]) & 0xC0) == 0x80) ++end;
        const QString text = QString::fromUtf8(keys.data() + i, static_cast<qsizetype>(end - i));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(&view(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(&view(), &release);
        i = end - 1;
        continue;
      }
      if (keys[i] != '{') {
        QTest::keyClick(&view(), keys[i]);
        continue;
      }
      const std::size_t close = keys.find('}', i);
      ASSERT_NE(close, std::string::npos);
      std::string inside = keys.substr(i + 1, close - i - 1);
      i = close;
      Qt::KeyboardModifiers modifiers;
      while (inside.size() > 2 && inside[1] == '-') {
        modifiers |= inside[0] == 'C'   ? Qt::ControlModifier
                     : inside[0] == 'S' ? Qt::ShiftModifier
                                        : Qt::AltModifier;
        inside.erase(0, 2);
      }
      Qt::Key key = Qt::Key_unknown;
      for (const Named& n : kNamed)
        if (inside == n.name) key = n.key;
      if (key == Qt::Key_unknown && inside.size() == 1) {
        const char c = inside[0];
        key = std::isalpha(static_cast<unsigned char>(c)) ? Qt::Key(Qt::Key_A + (std::toupper(c) - 'A'))
                                                          : Qt::Key(c);
      }
      ASSERT_NE(key, Qt::Key_unknown) << inside;
      QTest::keyClick(&view(), key, modifiers);
    }
  }

  // Sets every typing habit through the Edit menu's Typing items, as a user would.
  void setTypingHabits(bool on) {
    QMenu* typing = nullptr;
    for (QMenu* menu : window->findChildren<QMenu*>())
      if (menu->title() == "&Typing") typing = menu;
    ASSERT_NE(typing, nullptr);
    ASSERT_EQ(typing->actions().size(), static_cast<qsizetype>(typingHabitTable().size()));
    for (QAction* action : typing->actions()) action->setChecked(on);
    EXPECT_EQ(window->preferences().typing, on ? TypingHabits{} : TypingHabits::classic());
  }

  std::unique_ptr<MainWindow> window;
  std::vector<QString> messages;
};

// The text form of KEYS typed as the `type` subcommand types them (with --classic-typing when
// `habits` is the classic typing).
std::string typedHeadless(const std::string& keys, const TypingHabits& habits = {}) {
  ActiveLine active;
  editorState().habits = habits;
  std::string error;
  EXPECT_TRUE(active.typeKeys(keys, error)) << error;
  prepareNumbers(active.line()); // as `vexmar type` shows computed numbers
  return writeObjectText(*active.line().root);
}

TEST_F(Window, TypingBuildsTheTreesOfTheTypeCommand) {
  struct Row {
    const char* name;
    const char* keys;
  };
  const Row rows[] = {
      {"explicit curve", "y=x^2"},
      {"function with a space", "y=sin x"},
      {"circle", "x^2+y^2=1"},
      {"fraction left with the arrow", "y=1/x{Right}+2"},
      {"backspace", "y=x+3{BS}4"},
      {"Control letter gives a Greek letter", "r=2{C-t}"},
      {"Control accelerator inserts a root", "y={C-q}x"},
      {"Home selects then steps left", "y=x{Home}z"},
      {"tab moves to the next slot", "y=1/{Tab}x"},
      {"upper case and parentheses", "Y=(x+1)*3"},
      {"Control minus wraps", "y=x{C--}"},
      {"inequality with condition", "y<x, x>0"},
      {"plus after an exponent", "y=x^2+1"},
      {"a circle", "x^2+y^2=1"},
      {"names typed as words", "y=log x+sqrt x"},
      {"Greek letters typed as words", "r=2alpha theta+epsilon"},
      {"a subscript by underscore", "y=a_1x"},
      {"absolute value bars", "y=|x|+1"},
      {"Unicode characters", "y=2−x·3²+π"},
      {"Greek and relations in Unicode", "θ≤α±1"},
      {"Undo goes back a step at a time", "y=x{Left}2{C-z}{C-z}"},
      {"Redo", "y=x{Left}2{C-z}{C-S-z}"},
      {"Shift and the arrows select", "y=x+1{S-Left}{S-Left}3"},
  };
  for (bool habits : {true, false}) {
    SCOPED_TRACE(habits ? "typing habits" : "classic typing");
    setTypingHabits(habits);
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      const std::string expected = typedHeadless(row.keys, habits ? TypingHabits{} : TypingHabits::classic());
      resetEditorState();
      document().newDocument();
      typeKeys(row.keys);
      EXPECT_EQ(text(0), expected) << row.keys;
    }
  }
  // The habits make a difference, and typing in the window follows the menu.
  EXPECT_NE(typedHeadless("y=x^2+1"), typedHeadless("y=x^2+1", TypingHabits::classic()));
  resetEditorState();
  document().newDocument();
  typeKeys("y=x^2+1");
  EXPECT_EQ(text(0), typedHeadless("y=x^2+1", TypingHabits::classic()));
}

// `vexmar type` installs a typesetter as the window has one, so Shift and the arrows select the
// same objects in both.
TEST_F(Window, TheTypeCommandSelectsWithShiftArrowsAsTheWindowDoes) {
  const char* rows[] = {"y=x+1{S-Left}{S-Left}", "y=x^2+3x{Home}{S-Right}{S-Right}{S-Right}",
                        "y=1/x{Right}+2{S-Left}{S-Left}{S-Left}", "a+b+c{Left}{Left}{S-Right}{S-Right}"};
  for (const char* keys : rows) {
    SCOPED_TRACE(keys);
    std::ostringstream out, err;
    ASSERT_EQ(runCommandLine({"type", keys, "--caret"}, out, err, typesettingSubcommands()), 0) << err.str();
    resetEditorState();
    document().newDocument();
    typeKeys(keys);
    EXPECT_EQ(describeLine(line(0), true), out.str());
    EXPECT_NE(out.str().find("mode=0"), std::string::npos) << "nothing was selected";
  }
}

TEST_F(Window, EnterAsksForTheGraphsAndControlNAddsAnEquation) {
  int drawRequests = 0;
  QObject::connect(&document(), &VexmarDocument::drawGraphRequested, [&] { ++drawRequests; });
  typeKeys("y=x{Enter}");
  EXPECT_EQ(drawRequests, 1);
  EXPECT_EQ(document().equationCount(), 1);
  typeKeys("{C-n}y=2");
  ASSERT_EQ(document().equationCount(), 2);
  EXPECT_EQ(document().currentEquation(), 1);
  EXPECT_EQ(text(1), typedHeadless("y=2"));
  typeKeys("{C-Up}");
  EXPECT_EQ(document().currentEquation(), 0);
  EXPECT_EQ(modelState().activeInsertionPoint, &line(0));
}

TEST_F(Window, UndoAndRedoWalkTheHistoryAcrossEquations) {
  // Typed headless first: a headless line starts the editor afresh, history included.
  const std::string first = typedHeadless("y=x"), second = typedHeadless("y=2");
  typeKeys("y=x{C-n}y=2");
  ASSERT_EQ(document().equationCount(), 2);
  typeKeys("{C-z}");
  EXPECT_EQ(text(1), "prompt[]");
  EXPECT_EQ(text(0), first);
  // The next step is the first equation's: Undo goes there.
  typeKeys("{C-z}");
  EXPECT_EQ(document().currentEquation(), 0);
  EXPECT_EQ(text(0), "prompt[]");
  EXPECT_FALSE(view().canUndo());
  EXPECT_TRUE(view().canRedo());
  typeKeys("{C-S-z}");
  EXPECT_EQ(text(0), first);
  view().redo();
  EXPECT_EQ(document().currentEquation(), 1);
  EXPECT_EQ(text(1), second);
  EXPECT_FALSE(view().canRedo());
}

TEST_F(Window, EnterGraphsEveryEquationAndExplainsTheOnesItCannot) {
  typeKeys("y=x^2{C-n}y={Enter}");
  CGraphView& graph = window->graphView();
  graph.finishGraphs();
  EXPECT_TRUE(document().graphingOn());
  EXPECT_EQ(document().model().equation(0).graphIndex, 0);
  EXPECT_EQ(graph.container().plane().graphCount(), 1);
  EXPECT_EQ(view().messageLineTexts(),
            (std::vector<QString>{"", "Can't graph equations with question marks"}));

  // Finishing the second equation rebuilds at once: both are graphed and the line goes.
  typeKeys("1");
  graph.finishGraphs();
  EXPECT_EQ(graph.container().plane().graphCount(), 2);
  EXPECT_EQ(view().messageLineTexts(), (std::vector<QString>{"", ""}));

  // The resolution control writes the current equation's resolution.
  auto* slider = window->findChild<QSlider*>(QStringLiteral("ResolutionSlider"));
  ASSERT_NE(slider, nullptr);
  slider->setValue(3);
  EXPECT_DOUBLE_EQ(document().currentRecord().resolutionA, 0.25);
}

// The centre of the first node of `kind` (pre-order) as the view draws it.
QPoint centreOf(CVexmarView& view, int lineIndex, MathObject& root, ObjectKind kind, std::uint16_t code = 0) {
  std::function<MathObject*(MathObject&)> find = [&](MathObject& o) -> MathObject* {
    if (o.kind == kind && (code == 0 || o.payloadA == code)) return &o;
    for (int i = 0; i < o.childCount(); ++i)
      if (MathObject* hit = o.child(i) ? find(*o.child(i)) : nullptr) return hit;
    return nullptr;
  };
  MathObject* node = find(root);
  EXPECT_NE(node, nullptr);
  if (!node) return {};
  const QPoint origin = view.equationOrigin(lineIndex);
  const double top = toPixels(node->bottom - node->descent - node->ascent);
  const double height = toPixels(node->ascent + node->descent);
  return QPoint(origin.x() + static_cast<int>(toPixels(node->left + node->width / 2)),
                origin.y() + static_cast<int>(top + height / 2));
}

TEST_F(Window, AClickPlacesTheCaretOnTheLineUnderIt) {
  typeKeys("y=x+1{C-n}z=2*w");
  ASSERT_EQ(document().currentEquation(), 1);
  const QPoint onX = centreOf(view(), 0, *line(0).root, ObjectKind::char_, 'x');
  QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, onX);
  EXPECT_EQ(document().currentEquation(), 0);
  EXPECT_EQ(modelState().activeInsertionPoint, &line(0));
  ASSERT_NE(line(0).current, nullptr);
  // The caret stands at the letter clicked (before or after it).
  EXPECT_EQ(line(0).current->kind, ObjectKind::char_);
  EXPECT_EQ(line(0).current->payloadA, 'x');
  EXPECT_FALSE(view().caretRect().isEmpty());
  // Typing goes where the caret is.
  typeKeys("{Right}{Right}");
  const std::string before = text(0);
  typeKeys("7");
  EXPECT_NE(text(0), before);
  EXPECT_EQ(text(1), typedHeadless("z=2*w"));
}

TEST_F(Window, ShiftClickExtendsTheSelectionAndTheHandGrabsIt) {
  typeKeys("y=x+1");
  QTest::mouseClick(view().viewport(), Qt::LeftButton, {},
                    centreOf(view(), 0, *line(0).root, ObjectKind::char_, 'x'));
  EXPECT_FALSE(view().hasSelection());
  const QPoint onOne = centreOf(view(), 0, *line(0).root, ObjectKind::num);
  QTest::mouseClick(view().viewport(), Qt::LeftButton, Qt::ShiftModifier, onOne);
  ASSERT_TRUE(view().hasSelection());
  // The selection reaches from x to 1: the sum, or its terms.
  EXPECT_EQ(line(0).current->kind, ObjectKind::plus);
  QTest::mouseMove(view().viewport(), onOne);
  EXPECT_EQ(view().viewport()->cursor().shape(), Qt::OpenHandCursor);
  QTest::mouseMove(view().viewport(), view().equationOrigin(0) + QPoint(-20, 60));
  EXPECT_NE(view().viewport()->cursor().shape(), Qt::OpenHandCursor);
}

TEST_F(Window, TheViewScrollsToFollowTheCaret) {
  for (int i = 0; i < 20; ++i) typeKeys("y=x{C-n}");
  typeKeys("y=2");
  const QRect caret = view().caretRect();
  ASSERT_FALSE(caret.isEmpty());
  EXPECT_TRUE(view().viewport()->rect().contains(caret));
  typeKeys("{C-Home}");
  EXPECT_EQ(document().currentEquation(), 0);
  EXPECT_GE(view().equationOrigin(0).y(), 0);
}

TEST_F(Window, ADoubleClickOnADigitSelectsTheWholeNumber) {
  typeKeys("y=123");
  QTest::mouseDClick(view().viewport(), Qt::LeftButton, {},
                     centreOf(view(), 0, *line(0).root, ObjectKind::num));
  ASSERT_NE(line(0).current, nullptr);
  EXPECT_EQ(line(0).current->kind, ObjectKind::num);
  EXPECT_EQ(line(0).mode, SelectionMode::Object);
  EXPECT_TRUE(view().hasSelection());
}

TEST_F(Window, TheColourMenuRecoloursTheEquationOfTheSwatch) {
  typeKeys("y=x{C-n}y=2x");
  ASSERT_EQ(document().model().equation(1).colourCode, 2.0);
  int recoloured = -1;
  QObject::connect(&document(), &VexmarDocument::equationRecoloured, [&](int index) { recoloured = index; });
  QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, view().swatchRect(0).center());
  QMenu* menu = view().colourMenu();
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(document().currentEquation(), 0);
  QAction* strips = nullptr;
  for (QAction* action : menu->actions())
    if (action->text() == "Strips") strips = action;
  ASSERT_NE(strips, nullptr);
  strips->trigger();
  menu->close();
  EXPECT_EQ(document().model().equation(0).colourCode, 11.0);
  EXPECT_EQ(document().model().equation(1).colourCode, 2.0);
  EXPECT_EQ(recoloured, 0);
  // The items are drawn by the menu itself, wide enough for the sample and the drawn label.
  const QSize item = menu->actionGeometry(strips).size();
  EXPECT_GE(item.height(), 24);
  EXPECT_GT(item.width(), 45);
}

TEST_F(Window, CopyThenPasteRoundTripsAnEquationThroughTheClipboard) {
  typeKeys("y=x^2+1{C-a}");
  const std::string original = text(0);
  view().copy();
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data(kEquationClipboardFormat).toStdString(), original);
  EXPECT_TRUE(data->hasImage());
  EXPECT_TRUE(view().canPaste());

  typeKeys("{C-n}");
  view().paste();
  EXPECT_EQ(text(1), original);
  EXPECT_EQ(text(0), original);

  // Cut takes the selection away and puts it on the clipboard too; with nothing selected, Copy
  // leaves the clipboard alone.
  typeKeys("{End}");
  QGuiApplication::clipboard()->clear();
  view().copy();
  EXPECT_FALSE(view().canPaste());
  typeKeys("{C-a}");
  view().cut();
  EXPECT_NE(text(1), original);
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(kEquationClipboardFormat).toStdString(), original);
}

TEST_F(Window, PasteIsOfferedOnlyForAReadableEquation) {
  typeKeys("y=x");
  const std::string before = text(0);
  QGuiApplication::clipboard()->setText("y = x");
  EXPECT_FALSE(view().canPaste());
  view().paste();
  EXPECT_EQ(text(0), before);

  auto* bad = new QMimeData;
  bad->setData(kEquationClipboardFormat, "plux[]");
  QGuiApplication::clipboard()->setMimeData(bad);
  EXPECT_TRUE(view().canPaste());
  view().paste();
  EXPECT_EQ(text(0), before);
}

TEST_F(Window, MessageLinesShowOnlyWhileGraphingIsOn) {
  typeKeys("y={C-n}y=x");
  EXPECT_EQ(view().messageLineTexts(), (std::vector<QString>{"", ""}));
  EquationRecord& graphed = document().model().equation(1);
  graphed.graphIndex = 0;
  graphed.status = static_cast<int>(GraphStatus::CurveOutsideRegion);
  document().setGraphingOn(true);
  EXPECT_EQ(view().messageLineTexts(), (std::vector<QString>{"Can't graph equations with question marks",
                                                             "Curve is outside the region shown"}));

  // Drawn in red above the equation.
  const QImage picture = view().viewport()->grab().toImage();
  const QPoint origin = view().equationOrigin(0);
  int red = 0;
  for (int y = std::max(origin.y() - 16, 0); y < origin.y(); ++y)
    for (int x = origin.x(); x < std::min(origin.x() + 200, picture.width()); ++x)
      if (picture.pixelColor(QPoint(x, y) * picture.devicePixelRatio()) == QColor(255, 0, 0)) ++red;
  EXPECT_GT(red, 0);

  // Fixing the equation, or a graph reporting nothing, removes the line.
  graphed.status = 0;
  view().setFocus();
  typeKeys("{C-Up}{End}x");
  EXPECT_EQ(view().messageLineTexts()[1], "");
  graphed.messageSwitch = 0;
  graphed.graphIndex = -1;
  EXPECT_EQ(view().messageLineTexts()[1], "");
  document().setGraphingOn(false);
  EXPECT_EQ(view().messageLineTexts(), (std::vector<QString>{"", ""}));
}

TEST_F(Window, StatusHintsFollowTheCaret) {
  struct Row {
    const char* keys;
    const char* hint;
  };
  const Row rows[] = {
      {"y=x^2", "To exit the exponent, press the right arrow"},
      {"y=x^2{Right}", ""},
      {"y=1/2", "To exit the fraction, press the right arrow"},
      {"y=x^(1/2", "To exit the fraction, press the right arrow"},
      {"f(x)=x", "Use 'y' instead of 'f(x)'"},
      {"y=x+1", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    document().newDocument();
    resetEditorState();
    typeKeys(row.keys);
    EXPECT_EQ(view().statusText(), QString(row.hint));
  }
  // A click clears it.
  typeKeys("{C-n}y=x^2");
  QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, view().equationOrigin(0) + QPoint(2, 2));
  EXPECT_EQ(view().statusText(), QString());
}

TEST_F(Window, MenuCommandsReachTheEquationAsCommandMessages) {
  typeKeys("y=x+x{C-a}");
  QAction* simplify = nullptr;
  for (QAction* action : window->findChildren<QAction*>())
    if (action->text() == "Simplif&y") simplify = action;
  ASSERT_NE(simplify, nullptr);
  simplify->trigger();
  EXPECT_EQ(text(0), typedHeadless("y=x+x{C-a}{cmd:0x2000}"));
  EXPECT_NE(text(0), typedHeadless("y=x+x"));
}

TEST_F(Window, PendingErrorsAreShownOnceAndTheSeriousOnesClose) {
  raiseError(Error::GraphMemory);
  window->frameIdle();
  window->frameIdle();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].toStdString(), std::string(errorMessage(Error::GraphMemory)));
  EXPECT_TRUE(window->isVisible());

  // Out of reserve: the next pass warns once and takes the reserve again.
  messages.clear();
  memoryReserve().release();
  window->frameIdle();
  window->frameIdle();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].toStdString(), std::string(errorMessage(Error::MemoryLow)));
  EXPECT_TRUE(memoryReserve().hasReserve());

  messages.clear();
  raiseError(Error::OutOfMemoryQuit);
  window->frameIdle();
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(Window, TheWindowLayoutIsKeptInTheSettings) {
  window->resize(420, 380);
  window->splitter()->setSizes({120, 260});
  const int equationPane = window->splitter()->sizes()[0];
  window->close();
  window.reset();
  {
    QSettings settings;
    EXPECT_EQ(settings.value("FrameSizeX").toInt(), 420);
    EXPECT_EQ(settings.value("FrameSizeY").toInt(), 380);
    EXPECT_EQ(settings.value("EqnPaneSize").toInt(), equationPane);
    EXPECT_EQ(settings.value("SigFigs").toInt(), 8);
  }
  window = std::make_unique<MainWindow>();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  EXPECT_EQ(window->size(), QSize(420, 380));
  EXPECT_EQ(window->splitter()->sizes()[0], equationPane);
  window.reset();

  // A stored size larger than the screen is ignored.
  QSettings().setValue("FrameSizeX", 100000);
  window = std::make_unique<MainWindow>();
  EXPECT_LT(window->width(), 100000);
  EXPECT_EQ(window->windowTitle(), "Untitled - Vexmar");
}

TEST_F(Window, TheDividerAnimationShrinksTheGraphPaneToAThird) {
  window->resize(500, 600);
  window->splitter()->setSizes({100, 450});
  const int graphHeight = window->splitter()->sizes()[1];
  window->startDividerAnimation(MainWindow::DividerMove::ShrinkGraph);
  for (int i = 0; i < 500 && window->dividerAnimating(); ++i) {
    window->frameIdle();
    QTest::qWait(2);
  }
  EXPECT_FALSE(window->dividerAnimating());
  EXPECT_NEAR(window->splitter()->sizes()[1], graphHeight / 3, 2);
}

// Start-up to a usable window and a keystroke to its repaint, logged for the record and held to
// bounds far above what they take, so that only a real slowdown fails.
TEST(Timing, StartUpAndKeystrokeToRepaint) {
  QElapsedTimer clock;
  clock.start();
  (void)application();
  auto window = std::make_unique<MainWindow>();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->equationView().viewport()->repaint();
  const qint64 startUp = clock.elapsed();

  CVexmarView& view = window->equationView();
  view.setFocus();
  const char* keys = "y=sin(x)/(x^2+1";
  clock.restart();
  for (const char* k = keys; *k; ++k) {
    QTest::keyClick(&view, *k);
    view.viewport()->repaint();
  }
  const double perKey = static_cast<double>(clock.elapsed()) / static_cast<double>(std::strlen(keys));
  std::printf("start-up to a usable window: %lld ms; keystroke to repaint: %.2f ms\n",
              static_cast<long long>(startUp), perKey);
  ::testing::Test::RecordProperty("startUpMs", static_cast<int>(startUp));
  EXPECT_LT(startUp, 5000);
  EXPECT_LT(perKey, 200.0);
}

} // namespace
} // namespace vexmar

namespace vexmar {
namespace {

// Random keys, clicks and drags over both panes with graphing on, checking after each step that
// every graph index points into the plane's list. VEXMAR_GUI_SOAK_STEPS runs longer.
void soakKeysAndMouse(Window& w) {
  const int steps = qEnvironmentVariableIsSet("VEXMAR_GUI_SOAK_STEPS")
                        ? qEnvironmentVariableIntValue("VEXMAR_GUI_SOAK_STEPS")
                        : 400;
  std::mt19937 random(qEnvironmentVariableIntValue("VEXMAR_GUI_SOAK_SEED") + 1);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  static const Qt::Key kKeys[] = {
      Qt::Key_X,           Qt::Key_Y,     Qt::Key_R,      Qt::Key_T,     Qt::Key_A,         Qt::Key_1,
      Qt::Key_2,           Qt::Key_0,     Qt::Key_Plus,   Qt::Key_Minus, Qt::Key_Slash,     Qt::Key_Asterisk,
      Qt::Key_AsciiCircum, Qt::Key_Equal, Qt::Key_Less,   Qt::Key_Comma, Qt::Key_ParenLeft, Qt::Key_Right,
      Qt::Key_Left,        Qt::Key_Up,    Qt::Key_Down,   Qt::Key_Tab,   Qt::Key_Backspace, Qt::Key_Delete,
      Qt::Key_Home,        Qt::Key_End,   Qt::Key_Return, Qt::Key_Space};
  CGraphView& graph = w.window->graphView();
  w.typeKeys("y=x{Enter}");
  for (int step = 0; step < steps; ++step) {
    SCOPED_TRACE(step);
    switch (pick(12)) {
    case 0:
      QTest::keyClick(&w.view(), Qt::Key_N, Qt::ControlModifier);
      break;
    case 1:
      // Undo, and now and then Redo.
      QTest::keyClick(&w.view(), Qt::Key_Z,
                      pick(3) == 0 ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
      break;
    case 2: {
      const QPoint a(pick(graph.width()), pick(graph.height()));
      const QPoint b(pick(graph.width() + 80) - 40, pick(graph.height() + 80) - 40);
      QTest::mousePress(&graph, Qt::LeftButton, pick(3) == 0 ? Qt::ControlModifier : Qt::NoModifier, a);
      QTest::mouseMove(&graph, b);
      QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, b);
      break;
    }
    case 3:
      QTest::mouseClick(w.view().viewport(), Qt::LeftButton, Qt::NoModifier,
                        QPoint(pick(w.view().viewport()->width()), pick(w.view().viewport()->height())));
      break;
    case 4:
      pick(2) == 0 ? graph.zoomIn() : graph.zoomOut();
      break;
    case 5:
      graph.setCurveMode(pick(3));
      break;
    case 6: {
      // The algebra on whatever is selected, as the Math menu sends it.
      static const EditorCommand kMath[] = {Command::Simplify,
                                            Command::Expand,
                                            Command::Evaluate,
                                            Command::IsolateTerm,
                                            Command::EvaluateIntoEquation,
                                            Command::Derivative,
                                            Command::WrapTotalDerivative};
      if (pick(2) == 0)
        QTest::keyClick(&w.view(), pick(2) == 0 ? Qt::Key_Home : Qt::Key_End, Qt::ShiftModifier);
      w.view().performCommand(kMath[pick(static_cast<int>(std::size(kMath)))]);
      break;
    }
    case 7: {
      // What the typing habits and Unicode input give a meaning.
      static const char* const kTyped[] = {"|", "_", "−", "²", "π", "≤", "·", "log", "alpha", "sqrt"};
      w.typeKeys(kTyped[pick(static_cast<int>(std::size(kTyped)))]);
      break;
    }
    default:
      QTest::keyClick(&w.view(), kKeys[pick(static_cast<int>(std::size(kKeys)))]);
      break;
    }
    graph.idleStep();
    // Each index counts in the list of the space the document is drawn in.
    const CGraphContainer& container = graph.container();
    const int graphs =
        container.is3DActive() ? container.space3D().graphCount() : container.plane().graphCount();
    for (int i = 0; i < w.document().equationCount(); ++i) {
      const int index = w.document().model().equation(i).graphIndex;
      ASSERT_TRUE(index >= -1 && index < graphs) << "equation " << i << " index " << index;
    }
  }
  EXPECT_FALSE(w.view().messageLineTexts().empty());
}

TEST_F(Window, SoakOfKeysAndMouseOverBothPanesKeepsTheGraphsConsistent) { soakKeysAndMouse(*this); }

TEST_F(Window, SoakWithClassicTypingKeepsTheGraphsConsistent) {
  setTypingHabits(false);
  soakKeysAndMouse(*this);
}

} // namespace
} // namespace vexmar
