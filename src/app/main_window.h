#pragma once

#include "app/preferences.h"
#include "editor/editor_command.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QSlider;
class QSplitter;
class QToolBar;

namespace vexmar {

class CGraphView;
class CParamFrame;
class CSliderBar;
class CVexmarView;
class QtFontServices;
class Typesetter;
class VexmarDocument;

/// The main frame: the equation pane above the graph pane in a splitter, the menus and their
/// accelerators, the status bar, the window layout kept in the settings, and the idle loop that
/// shows pending errors and drives the slow work.
class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  /// Reads the preferences and the stored window layout; the document starts new.
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  [[nodiscard]] VexmarDocument& document() { return *document_; }
  [[nodiscard]] CVexmarView& equationView() { return *view_; }
  [[nodiscard]] Typesetter& typesetter() { return *typesetter_; }
  [[nodiscard]] QSplitter* splitter() const { return splitter_; }
  [[nodiscard]] QWidget* graphPane() const { return graphPane_; }
  [[nodiscard]] CGraphView& graphView() { return *graphView_; }
  [[nodiscard]] CSliderBar& sliderBar() { return *sliderBar_; }
  [[nodiscard]] CParamFrame& parametersWindow() { return *paramFrame_; }
  /// The Graph menu, filled by the graph pane's owner.
  [[nodiscard]] QMenu* graphMenu() const { return graphMenu_; }
  [[nodiscard]] const Preferences& preferences() const { return preferences_; }

  /// The graph pane's share of idle time: called from every idle pass; returns whether it wants
  /// more time at once.
  void setGraphIdleStep(std::function<bool()> step) { graphIdleStep_ = std::move(step); }

  /// How the divider moves in an animation.
  enum class DividerMove {
    ShrinkGraph, ///< the graph pane shrinks to a third of its height, 15 pixels a tick
    GrowGraph,   ///< the graph pane grows up to the equations' bottom, 20 pixels a tick
  };
  void startDividerAnimation(DividerMove move);
  [[nodiscard]] bool dividerAnimating() const { return divider_.active; }

  /// One idle pass; returns whether more idle time is wanted at once.
  bool frameIdle();
  /// Asks for an idle pass as soon as the event queue is empty (new graph work arrived).
  void requestIdleTime() { scheduleIdle(true); }
  /// Where the idle loop's messages go (a message box unless replaced, as tests do).
  void setMessagePresenter(std::function<void(const QString&)> present) {
    presentMessage_ = std::move(present);
  }

  /// The answers to "Save changes to NAME?".
  enum class SaveChoice { Save, Discard, Cancel };
  /// Where that question goes (a message box unless replaced, as tests do).
  void setSavePrompt(std::function<SaveChoice(const QString&)> ask) { askToSave_ = std::move(ask); }
  /// Where the open and save dialogs go: the chosen path, empty when cancelled.
  void setFileChooser(std::function<QString(bool forSaving, const QString& suggested)> choose) {
    chooseFile_ = std::move(choose);
  }

  /// File > New: a new document once unsaved changes are dealt with.
  void newDocument();
  /// Opens a document file once unsaved changes are dealt with; a file that does not read leaves
  /// the open document as it was and is reported naming the file and the problem. True when
  /// opened.
  bool openDocument(const QString& path);
  /// Saves to the document's own file, asking for one when it has none; true when saved.
  bool save();
  /// Asks for a file and saves to it; true when saved.
  bool saveAs();
  /// The recent-file list, newest first, as kept in the settings.
  [[nodiscard]] QStringList recentFiles() const;

signals:
  /// The graph pane must redraw (memory was short, or a graph could not get memory).
  void graphRefreshRequested();

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  /// Makes the pane below the equations.
  QWidget* createGraphPane(QWidget* parent);
  void restoreWindowLayout();
  void restoreSplitter();
  void saveWindowLayout();
  void createMenus();
  void createFileMenu();
  /// Asks about unsaved changes; false when the user cancels or the save fails.
  bool maybeSave();
  bool saveTo(const QString& path);
  void rememberRecentFile(const QString& path);
  void updateRecentMenu();
  void updateTitle();
  /// The panes show the document that was just opened.
  void showOpenedDocument();
  void createGraphMenu();
  void createResolutionControl();
  QAction* addEditorCommand(QMenu* menu, const QString& text, const QString& tip, EditorCommand code,
                            const QKeySequence& shortcut = {});
  /// Edit commands act on the equation pane while the focus is in this window, else on the focused field.
  void routeEditCommand(const char* slot, void (CVexmarView::*viewCommand)());
  void updateCommandStates();
  void showAbout();
  /// The getting-started page shipped with the program, in a window of its own.
  void showHelp();
  void scheduleIdle(bool busy);
  void advanceDivider();

  Preferences preferences_;
  std::unique_ptr<QtFontServices> fonts_;
  std::unique_ptr<Typesetter> typesetter_;
  VexmarDocument* document_ = nullptr;
  CVexmarView* view_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QWidget* graphPane_ = nullptr;
  CGraphView* graphView_ = nullptr;
  QSlider* resolution_ = nullptr;
  CSliderBar* sliderBar_ = nullptr;
  CParamFrame* paramFrame_ = nullptr;
  QMenu* graphMenu_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QDialog* helpWindow_ = nullptr;
  bool splitterRestored_ = false;

  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QAction* cutAction_ = nullptr;
  QAction* copyAction_ = nullptr;
  QAction* pasteAction_ = nullptr;
  QAction* clearAction_ = nullptr;
  std::vector<QAction*> selectionActions_; ///< the algebra commands, enabled by the selection

  QTimer idleTimer_;
  bool inIdle_ = false;
  std::function<bool()> graphIdleStep_;
  std::function<void(const QString&)> presentMessage_;
  std::function<SaveChoice(const QString&)> askToSave_;
  std::function<QString(bool, const QString&)> chooseFile_;

  struct DividerAnimation {
    bool active = false;
    int target = 0; ///< the equation pane's height to reach
    int step = 0;   ///< pixels per tick, signed
    QElapsedTimer lastTick;
  } divider_;
};

} // namespace vexmar
