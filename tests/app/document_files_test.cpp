// Ahead of every Qt header, whose keyword macros would rewrite the engine's `slots` member.
#include "numeric/numeric_state.h"

#include "app/graph_view.h"
#include "app/main_window.h"
#include "app/vexmar_document.h"
#include "document/grf_file.h"
#include "editor/editor_state.h"
#include "graph/graph_container.h"
#include "model/memory_reserve.h"
#include "test_application.h"
#include "text/object_text.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vexmar {
namespace {

using test::application;
using SaveChoice = MainWindow::SaveChoice;

// A window whose dialogs and message boxes answer from the test.
struct DocumentFilesTest : ::testing::Test {
  void SetUp() override {
    (void)application();
    QSettings().clear();
    resetEditorState();
    resetNumericState();
    memoryReserve().reset();
    ASSERT_TRUE(folder.isValid());
    window = std::make_unique<MainWindow>();
    window->setMessagePresenter([this](const QString& text) { messages.push_back(text); });
    window->setSavePrompt([this](const QString& question) {
      questions.push_back(question);
      return answer;
    });
    window->setFileChooser([this](bool, const QString&) { return chosen; });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    window->document().setModified(false);
    window.reset();
    QSettings().clear();
    resetNumericState();
  }

  [[nodiscard]] QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
  [[nodiscard]] std::vector<std::string> texts() const {
    std::vector<std::string> out;
    const DocumentModel& model = window->document().model();
    for (int i = 0; i < model.equationCount(); ++i)
      out.push_back(writeObjectText(*model.equation(i).insertionPoint->root));
    return out;
  }
  // Two equations typed, the second coloured; the document then has unsaved changes.
  void edit() {
    test::typeEquation(window->document(), 0, "y=x^2");
    test::typeEquation(window->document(), 1, "y=a x");
    window->document().setColourCode(1, 5.0);
    window->document().noteEquationsEdited();
  }
  static QByteArray contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir folder;
  std::unique_ptr<MainWindow> window;
  std::vector<QString> messages;
  std::vector<QString> questions;
  SaveChoice answer = SaveChoice::Cancel;
  QString chosen;
};

TEST_F(DocumentFilesTest, SavedDocumentsReopenAsTheyWereAndNameTheWindow) {
  EXPECT_EQ(window->windowTitle(), "Untitled - Vexmar");
  edit();
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(window->windowTitle(), "Untitled* - Vexmar");
  const std::vector<std::string> before = texts();
  chosen = path("orbit.grf");
  ASSERT_TRUE(window->save()); // no file yet: Save asks for one
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(window->windowTitle(), "orbit - Vexmar");
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(window->recentFiles(), QStringList{chosen});

  window->newDocument(); // nothing unsaved: no question
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(texts(), std::vector<std::string>{"prompt[]"});
  EXPECT_EQ(window->windowTitle(), "Untitled - Vexmar");

  ASSERT_TRUE(window->openDocument(chosen));
  EXPECT_EQ(texts(), before);
  EXPECT_EQ(window->document().model().equation(1).colourCode, 5.0);
  EXPECT_EQ(window->document().currentEquation(), 0);
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(window->windowTitle(), "orbit - Vexmar");
}

TEST_F(DocumentFilesTest, AFileThatDoesNotReadLeavesTheDocumentAsItWas) {
  edit();
  const std::vector<std::string> before = texts();
  struct Row {
    const char* name;
    QByteArray bytes;
    const char* problem;
  };
  std::vector<std::uint8_t> newer = writeGrf({});
  newer[24] = 11;
  GrfDocument one;
  one.equations = {{"char[x]"}};
  std::vector<std::uint8_t> cut = writeGrf(one);
  cut.resize(cut.size() - 3);
  const std::vector<Row> rows = {
      {"words.grf", "just some words", "not a Vexmar document"},
      {"newer.grf",
       QByteArray(reinterpret_cast<const char*>(newer.data()), static_cast<qsizetype>(newer.size())),
       "newer version"},
      {"cut.grf", QByteArray(reinterpret_cast<const char*>(cut.data()), static_cast<qsizetype>(cut.size())),
       "cut short"},
      {"missing.grf", {}, "No such file"},
  };
  answer = SaveChoice::Discard;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    messages.clear();
    if (!row.bytes.isEmpty()) {
      QFile file(path(row.name));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(row.bytes);
    }
    EXPECT_FALSE(window->openDocument(path(row.name)));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(row.name)) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(row.problem)) << messages[0].toStdString();
    EXPECT_EQ(texts(), before);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->windowTitle(), "Untitled* - Vexmar");
  }
  EXPECT_TRUE(window->recentFiles().isEmpty());
}

// Older documents carry their display preferences: the fonts the equations are set in. Each
// value is taken only when it is one the preferences can hold.
TEST_F(DocumentFilesTest, AnOlderDocumentsFontsAreTakenWhenTheyCanBe) {
  const auto writeWithPreferences = [&](const char* name, std::uint32_t mainSize, const std::string& face) {
    GrfDocument one;
    one.equations = {{"char[x]"}};
    std::vector<std::uint8_t> bytes = writeGrf(one);
    const std::uint32_t values[] = {0, 0, 0, 6, mainSize, 14, 10}; // tag, sizes, digits, fonts
    const std::size_t start = bytes.size();
    bytes.insert(bytes.end(), {'P', 'R', 'F', '1'});
    for (std::size_t i = 1; i < std::size(values); ++i)
      for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<std::uint8_t>(values[i] >> (8 * b)));
    bytes.insert(bytes.end(), face.begin(), face.end());
    bytes.push_back(0);
    const auto size = static_cast<std::uint32_t>(bytes.size() - start);
    for (int b = 0; b < 4; ++b)
      bytes[start + 4 + b] = bytes[start + 8 + b] = static_cast<std::uint8_t>(size >> (8 * b));
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  };
  writeWithPreferences("fonts.grf", 20, "Nimbus Sans");
  ASSERT_TRUE(window->openDocument(path("fonts.grf")));
  EXPECT_EQ(window->preferences().mainFontSize, 20);
  EXPECT_EQ(window->preferences().firstScriptSize, 14);
  EXPECT_EQ(window->preferences().secondScriptSize, 10);
  EXPECT_EQ(window->preferences().typeface, "Nimbus Sans");
  EXPECT_EQ(editorState().typesetter->typeface(), "Nimbus Sans");

  writeWithPreferences("odd.grf", 500, "");
  ASSERT_TRUE(window->openDocument(path("odd.grf")));
  EXPECT_EQ(window->preferences().mainFontSize, 20);
  EXPECT_EQ(window->preferences().typeface, "Nimbus Sans");
}

TEST_F(DocumentFilesTest, UnsavedChangesAreAskedAboutBeforeTheyGo) {
  edit();
  const std::vector<std::string> before = texts();
  // Cancel keeps everything, on New and on closing the window.
  answer = SaveChoice::Cancel;
  window->newDocument();
  EXPECT_EQ(texts(), before);
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0], "Save changes to Untitled?");

  // Save writes the file first; a save that fails keeps the document.
  answer = SaveChoice::Save;
  chosen = path("missing-folder/x.grf");
  window->newDocument();
  EXPECT_EQ(texts(), before);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains("x.grf")) << messages[0].toStdString();
  chosen = path("kept.grf");
  window->newDocument();
  EXPECT_EQ(texts(), std::vector<std::string>{"prompt[]"});
  ASSERT_TRUE(window->openDocument(chosen));
  EXPECT_EQ(texts(), before);

  // Discard lets the changes go.
  test::typeEquation(window->document(), 0, "y=3");
  window->document().noteEquationsEdited();
  answer = SaveChoice::Discard;
  window->newDocument();
  EXPECT_EQ(texts(), std::vector<std::string>{"prompt[]"});
}

TEST_F(DocumentFilesTest, AFailedSaveOverAFileKeepsTheFileAndTheChanges) {
  edit();
  chosen = path("doc.grf");
  ASSERT_TRUE(window->save());
  const QByteArray saved = contents(chosen);
  test::typeEquation(window->document(), 0, "y=7");
  window->document().noteEquationsEdited();
  // The document's file now sits where a folder is wanted.
  chosen = path("doc.grf/inner.grf");
  EXPECT_FALSE(window->saveAs());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains("inner.grf")) << messages[0].toStdString();
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(window->windowTitle(), "doc* - Vexmar");
  EXPECT_EQ(contents(path("doc.grf")), saved);
}

TEST_F(DocumentFilesTest, TheRecentListKeepsFourNewestFirstAndADroppedFileOpens) {
  edit();
  for (const char* name : {"1.grf", "2.grf", "3.grf", "4.grf", "5.grf", "3.grf"}) {
    chosen = path(name);
    ASSERT_TRUE(window->saveAs());
  }
  EXPECT_EQ(window->recentFiles(), (QStringList{path("3.grf"), path("5.grf"), path("4.grf"), path("2.grf")}));

  window->newDocument();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path("2.grf"))});
  // Qt delivers a drop only to the window a drag entered.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window.get(), &drop);
  QTest::qWait(20);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(window->windowTitle(), "2 - Vexmar");
  EXPECT_EQ(texts().size(), 2u);
}

} // namespace
} // namespace vexmar
