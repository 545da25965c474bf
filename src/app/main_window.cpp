#include "app/main_window.h"

#include "app/graph_view.h"

#include "algebra/actions/algebra_actions.h"
#include "app/equation_view.h"
#include "app/graph_view.h"
#include "app/parameters_window.h"
#include "app/qt_clipboard.h"
#include "app/qt_font_services.h"
#include "app/slider_bar.h"
#include "app/vexmar_document.h"
#include "editor/editor_state.h"
#include "model/memory_reserve.h"
#include "numeric/error_word.h"
#include "typeset/typesetter.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QShowEvent>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vexmar {
namespace {

constexpr int kBusyIdleMs = 0;     // another pass as soon as the event queue is empty
constexpr int kQuietIdleMs = 50;   // errors and the reserve are still looked at this often
constexpr int kDividerTickMs = 16; // one animation step per tick
constexpr int kShrinkStep = 15, kGrowStep = 20;
constexpr int kSmallestPane = 40;
constexpr int kSmallestEquationPane = 70; // one equation with its message line
// The first window takes most of the screen, within bounds that suit small and very large ones.
constexpr int kFirstWidthPercent = 70, kFirstHeightPercent = 85;
constexpr QSize kFirstSmallest{640, 480}, kFirstLargest{1400, 1100};
// Room for three or four equations above the graph on a first start.
constexpr int kFirstEquationPaneMin = 150, kFirstEquationPaneMax = 320;
constexpr int kNoticeMs = 8000;      // how long a notice stays in the status bar
constexpr int kResolutionSteps = 12; // the control's positions, as the graph pane divides them
constexpr QKeyCombination kZoomInKeys = Qt::CTRL | Qt::Key_PageUp;
constexpr QKeyCombination kZoomOutKeys = Qt::CTRL | Qt::Key_PageDown;

int readSetting(const QSettings& settings, const char* name, int fallback) {
  bool ok = false;
  const int value = settings.value(QLatin1String(name)).toInt(&ok);
  return ok ? value : fallback;
}

int screenDotsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen ? static_cast<int>(screen->logicalDotsPerInchY() + 0.5) : 0;
  return dpi > 0 ? dpi : 96;
}

// The equation pane's height in a splitter `total` pixels high, from the stored value (none when
// not positive): whatever was stored, the equations keep a line and the graph a third.
int equationPaneHeight(int stored, int total) {
  const int most = std::max(total - std::max(total / 3, kSmallestPane), 0);
  const int least = std::min(kSmallestEquationPane, most);
  if (stored <= 0) stored = std::clamp(total * 3 / 10, kFirstEquationPaneMin, kFirstEquationPaneMax);
  return std::clamp(stored, least, most);
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  {
    QSettings settings;
    preferences_.load(settings);
  }
  preferences_.applyToNumbers();
  // What an algebra action could not do is told in the status bar; a later action clears it.
  installAlgebraActions([window = QPointer<MainWindow>(this)](const ActionReport& report) {
    if (!window) return;
    const std::string message = actionMessage(report);
    if (message.empty())
      window->statusBar()->clearMessage();
    else
      window->statusBar()->showMessage(QString::fromStdString(message));
  });
  fonts_ = std::make_unique<QtFontServices>(screenDotsPerInch());
  typesetter_ = std::make_unique<Typesetter>(*fonts_, preferences_.typeface);
  editorState().typesetter = typesetter_.get();

  document_ = new VexmarDocument(this);
  connect(document_, &VexmarDocument::modifiedChanged, this, &MainWindow::updateTitle);
  connect(document_, &VexmarDocument::fileChanged, this, &MainWindow::updateTitle);
  updateTitle();
  setAcceptDrops(true);

  splitter_ = new QSplitter(Qt::Vertical, this);
  splitter_->setChildrenCollapsible(false);
  view_ = new CVexmarView(*document_, *typesetter_, splitter_);
  view_->setSizeTable(preferences_.sizeTable());
  view_->setTypingHabits(preferences_.typing);
  graphPane_ = createGraphPane(splitter_);
  splitter_->addWidget(view_);
  splitter_->addWidget(graphPane_);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  setCentralWidget(splitter_);

  sliderBar_ = new CSliderBar(*document_, *graphView_, this);
  addToolBar(Qt::BottomToolBarArea, sliderBar_);
  paramFrame_ = new CParamFrame(*document_, *graphView_, this);

  createMenus();
  statusBar()->showMessage(tr("Ready"));
  createResolutionControl();
  restoreWindowLayout();

  connect(view_, &CVexmarView::commandPerformed, this, &MainWindow::updateCommandStates);
  connect(view_, &CVexmarView::commandRefused, this,
          [this](const QString& message) { statusBar()->showMessage(message); });
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &MainWindow::updateCommandStates);
  // Quitting without closing the window (the session ends) still keeps the layout.
  connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::saveWindowLayout);
  updateCommandStates();

  presentMessage_ = [this](const QString& text) { QMessageBox::warning(this, tr("Vexmar"), text); };
  askToSave_ = [this](const QString& question) {
    const auto answer = QMessageBox::question(this, tr("Vexmar"), question,
                                              QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                              QMessageBox::Save);
    return answer == QMessageBox::Save      ? SaveChoice::Save
           : answer == QMessageBox::Discard ? SaveChoice::Discard
                                            : SaveChoice::Cancel;
  };
  chooseFile_ = [this](bool forSaving, const QString& suggested) {
    const QString filter = tr("Vexmar Files (*.grf)");
    if (!forSaving) return QFileDialog::getOpenFileName(this, tr("Open"), suggested, filter);
    QString path = QFileDialog::getSaveFileName(this, tr("Save As"), suggested, filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".grf");
    return path;
  };
  idleTimer_.setSingleShot(true);
  connect(&idleTimer_, &QTimer::timeout, this, [this] { scheduleIdle(frameIdle()); });
  scheduleIdle(false);
  view_->setFocus();
}

MainWindow::~MainWindow() {
  idleTimer_.stop();
  // The panes and the document go before the typesetter and fonts they use.
  delete splitter_;
  delete document_;
  if (editorState().typesetter == typesetter_.get()) editorState().typesetter = nullptr;
}

QWidget* MainWindow::createGraphPane(QWidget* parent) {
  auto* pane = new CGraphView(*document_, parent);
  pane->setMinimumHeight(kSmallestPane);
  graphView_ = pane;
  // The pane computes its graphs in the frame's idle passes.
  setGraphIdleStep([pane] { return pane->idleStep(); });
  pane->setIdleDriver([this] { requestIdleTime(); });
  connect(this, &MainWindow::graphRefreshRequested, pane, qOverload<>(&QWidget::update));
  connect(pane, &CGraphView::statusMessage, this,
          [this](const QString& text) { statusBar()->showMessage(text, kNoticeMs); });
  return pane;
}

// ---- Window layout ---------------------------------------------------------------------------

void MainWindow::restoreWindowLayout() {
  const QSettings settings;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const auto firstSize = [](int room, int percent, int smallest, int largest) {
    return std::min(std::clamp(room * percent / 100, smallest, largest), room);
  };
  int width = firstSize(available.width(), kFirstWidthPercent, kFirstSmallest.width(), kFirstLargest.width());
  int height =
      firstSize(available.height(), kFirstHeightPercent, kFirstSmallest.height(), kFirstLargest.height());
  const int storedWidth = readSetting(settings, "FrameSizeX", -1);
  const int storedHeight = readSetting(settings, "FrameSizeY", -1);
  const int storedX = readSetting(settings, "FramePosX", -1);
  const int storedY = readSetting(settings, "FramePosY", -1);
  if (storedWidth > 0 && storedWidth < available.width()) width = storedWidth;
  if (storedHeight > 0 && storedHeight < available.height()) height = storedHeight;
  // Without a stored place the window is centred on the screen.
  const int x = storedX >= 0 && storedX < available.width()
                    ? storedX
                    : available.left() + (available.width() - width) / 2;
  const int y = storedY >= 0 && storedY < available.height()
                    ? storedY
                    : available.top() + (available.height() - height) / 2;
  resize(width, height);
  move(x, y);
  paramFrame_->restoreLayout(settings, available);
}

void MainWindow::restoreSplitter() {
  const QSettings settings;
  // The panes share the splitter's height less its handle.
  const int total = (splitter_->height() > 0 ? splitter_->height() : height()) - splitter_->handleWidth();
  const int top = equationPaneHeight(readSetting(settings, "EqnPaneSize", -1), total);
  splitter_->setSizes({top, std::max(total - top, kSmallestPane)});
}

void MainWindow::saveWindowLayout() {
  QSettings settings;
  settings.setValue(QStringLiteral("FrameSizeX"), width());
  settings.setValue(QStringLiteral("FrameSizeY"), height());
  settings.setValue(QStringLiteral("FramePosX"), pos().x());
  settings.setValue(QStringLiteral("FramePosY"), pos().y());
  settings.setValue(QStringLiteral("EqnPaneSize"), splitter_->sizes().value(0));
  paramFrame_->saveLayout(settings);
  preferences_.save(settings);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The divider is placed once the frame has its height, so that the stored pane size is kept
  // exactly rather than scaled with a first layout.
  if (!splitterRestored_) {
    splitterRestored_ = true;
    restoreSplitter();
    if (paramFrame_->shownAtStart()) paramFrame_->show();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!maybeSave()) {
    event->ignore();
    return;
  }
  saveWindowLayout();
  event->accept();
}

// ---- Documents -------------------------------------------------------------------------------

namespace {
constexpr int kRecentFiles = 4;
const QString kRecentFilesKey = QStringLiteral("RecentFiles");
} // namespace

void MainWindow::updateTitle() {
  const bool modified = document_->isModified();
  setWindowTitle(document_->title() +
                 (modified ? QStringLiteral("* - Vexmar") : QStringLiteral(" - Vexmar")));
  setWindowModified(modified);
}

bool MainWindow::maybeSave() {
  if (!document_->isModified()) return true;
  switch (askToSave_(tr("Save changes to %1?").arg(document_->title()))) {
  case SaveChoice::Save:
    return save();
  case SaveChoice::Discard:
    return true;
  case SaveChoice::Cancel:
    break;
  }
  return false;
}

void MainWindow::newDocument() {
  if (!maybeSave()) return;
  document_->newDocument();
  showOpenedDocument();
}

bool MainWindow::openDocument(const QString& path) {
  if (!maybeSave()) return false;
  if (const std::optional<QString> problem = document_->openFile(path, &graphView_->container())) {
    presentMessage_(tr("Cannot open %1:\n%2").arg(QDir::toNativeSeparators(path), *problem));
    return false;
  }
  rememberRecentFile(document_->filePath());
  if (const std::optional<GrfPreferences> display = document_->takeDisplayPreferences()) {
    // An older document brings its fonts; the equations are set in them from now on.
    preferences_.takeFromDocument(*display);
    typesetter_->setTypeface(preferences_.typeface);
    view_->setSizeTable(preferences_.sizeTable());
  }
  showOpenedDocument();
  return true;
}

void MainWindow::showOpenedDocument() {
  sliderBar_->showSlider();
  paramFrame_->refresh();
  if (document_->graphingOn())
    graphView_->rebuildGraphs();
  else
    graphView_->update();
  view_->update();
  updateCommandStates();
}

bool MainWindow::save() {
  if (document_->filePath().isEmpty()) return saveAs();
  return saveTo(document_->filePath());
}

bool MainWindow::saveAs() {
  // The program runs in its own folder: a new document is suggested in the home folder instead.
  const QString suggested = document_->filePath().isEmpty()
                                ? QDir::home().filePath(document_->title() + QStringLiteral(".grf"))
                                : document_->filePath();
  const QString path = chooseFile_(true, suggested);
  return !path.isEmpty() && saveTo(path);
}

bool MainWindow::saveTo(const QString& path) {
  if (const std::optional<QString> problem = document_->saveFile(path, &graphView_->container())) {
    presentMessage_(tr("Cannot save %1:\n%2").arg(QDir::toNativeSeparators(path), *problem));
    return false;
  }
  rememberRecentFile(document_->filePath());
  statusBar()->showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(document_->filePath())), kNoticeMs);
  return true;
}

QStringList MainWindow::recentFiles() const { return QSettings().value(kRecentFilesKey).toStringList(); }

void MainWindow::rememberRecentFile(const QString& path) {
  QStringList files = recentFiles();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kRecentFiles) files.removeLast();
  QSettings().setValue(kRecentFilesKey, files);
  updateRecentMenu();
}

void MainWindow::updateRecentMenu() {
  recentMenu_->clear();
  const QStringList files = recentFiles();
  for (int i = 0; i < files.size(); ++i) {
    const QString path = files[i];
    QAction* action =
        recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
    action->setStatusTip(QDir::toNativeSeparators(path));
    connect(action, &QAction::triggered, this, [this, path] { openDocument(path); });
  }
  recentMenu_->setEnabled(!files.isEmpty());
}

void MainWindow::createFileMenu() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  // Ctrl+N stays New Equation, the command used far more often.
  file->addAction(tr("&New"), this, &MainWindow::newDocument)->setStatusTip(tr("Start a new document"));
  file->addAction(tr("&Open..."), QKeySequence::Open, this,
                  [this] {
                    const QString folder = document_->filePath().isEmpty()
                                               ? QDir::homePath()
                                               : QFileInfo(document_->filePath()).path();
                    const QString path = chooseFile_(false, folder);
                    if (!path.isEmpty()) openDocument(path);
                  })
      ->setStatusTip(tr("Open an existing document"));
  file->addAction(tr("&Save"), QKeySequence::Save, this, &MainWindow::save)
      ->setStatusTip(tr("Save the document"));
  file->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, &MainWindow::saveAs)
      ->setStatusTip(tr("Save the document under a new name"));
  file->addSeparator();
  recentMenu_ = file->addMenu(tr("Recent &Files"));
  updateRecentMenu();
  file->addSeparator();
  // No shortcut: Ctrl+Q is Square Root.
  file->addAction(tr("E&xit"), this, &QWidget::close)->setStatusTip(tr("Quit Vexmar"));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!urls.isEmpty() && urls.front().isLocalFile()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  // The drop finishes before any question or message box is shown.
  const QString path = urls.front().toLocalFile();
  QTimer::singleShot(0, this, [this, path] { openDocument(path); });
}

// ---- Menus -----------------------------------------------------------------------------------

QAction* MainWindow::addEditorCommand(QMenu* menu, const QString& text, const QString& tip,
                                      EditorCommand code, const QKeySequence& shortcut) {
  QAction* action = menu->addAction(text);
  action->setStatusTip(tip);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, [this, code] {
    view_->performCommand(code);
    view_->setFocus();
  });
  return action;
}

void MainWindow::routeEditCommand(const char* slot, void (CVexmarView::*viewCommand)()) {
  QWidget* focus = QApplication::focusWidget();
  const bool inMainWindow = focus && focus->window() == this;
  const QByteArray signature = QByteArray(slot) + "()";
  if (focus && !inMainWindow && focus->metaObject()->indexOfSlot(signature.constData()) >= 0) {
    QMetaObject::invokeMethod(focus, slot);
    return;
  }
  (view_->*viewCommand)();
}

void MainWindow::createMenus() {
  createFileMenu();
  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  undoAction_ = edit->addAction(tr("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), view_, &CVexmarView::undo);
  undoAction_->setStatusTip(tr("Undo the last action"));
  redoAction_ =
      edit->addAction(tr("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), view_, &CVexmarView::redo);
  redoAction_->setStatusTip(tr("Redo the action just undone"));
  edit->addSeparator();
  cutAction_ = edit->addAction(tr("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X), this,
                               [this] { routeEditCommand("cut", &CVexmarView::cut); });
  cutAction_->setStatusTip(tr("Cut the selection and put it on the Clipboard"));
  copyAction_ = edit->addAction(tr("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), this,
                                [this] { routeEditCommand("copy", &CVexmarView::copy); });
  copyAction_->setStatusTip(tr("Copy the selection and put it on the Clipboard"));
  pasteAction_ = edit->addAction(tr("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), this,
                                 [this] { routeEditCommand("paste", &CVexmarView::paste); });
  pasteAction_->setStatusTip(tr("Insert Clipboard contents"));
  clearAction_ =
      edit->addAction(tr("C&lear"), this, [this] { routeEditCommand("clear", &CVexmarView::clear); });
  clearAction_->setStatusTip(tr("Erase the selection"));
  QAction* selectAll =
      edit->addAction(tr("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A), view_, &CVexmarView::selectAll);
  selectAll->setStatusTip(tr("Select the whole equation"));
  edit->addSeparator();
  QAction* newEquation = edit->addAction(tr("&New Equation"), QKeySequence(Qt::CTRL | Qt::Key_N), view_,
                                         &CVexmarView::newEquation);
  newEquation->setStatusTip(tr("Add a new equation after the current one"));
  // No shortcut of its own: Backspace on an empty line does the same from the keyboard.
  QAction* deleteEquation = edit->addAction(tr("&Delete Equation"), view_, &CVexmarView::deleteEquation);
  deleteEquation->setStatusTip(tr("Remove the current equation and its graph"));
  edit->addSeparator();
  QMenu* typing = edit->addMenu(tr("&Typing"));
  for (const TypingHabitRow& habit : typingHabitTable()) {
    QAction* action = typing->addAction(tr(std::string(habit.label).c_str()));
    action->setCheckable(true);
    action->setChecked(preferences_.typing.*habit.field);
    connect(action, &QAction::toggled, this, [this, field = habit.field](bool on) {
      preferences_.typing.*field = on;
      view_->setTypingHabits(preferences_.typing);
    });
  }
  connect(edit, &QMenu::aboutToShow, this, &MainWindow::updateCommandStates);

  QMenu* insert = menuBar()->addMenu(tr("&Insert"));
  addEditorCommand(insert, tr("Square &Root"), tr("Insert a square root"),
                   insertKindCommand(ObjectKind::sqrt), QKeySequence(Qt::CTRL | Qt::Key_Q));
  addEditorCommand(insert, tr("&Exponent"), tr("Insert an exponent"), insertKindCommand(ObjectKind::power),
                   QKeySequence(Qt::CTRL | Qt::Key_H));
  addEditorCommand(insert, tr("&Derivative"), tr("Insert a derivative"), Command::Derivative);
  insert->addSeparator();
  addEditorCommand(insert, tr("&2-Vector"), tr("Insert a vector with two components"), Command::TwoVector,
                   QKeySequence(Qt::CTRL | Qt::Key_2));
  addEditorCommand(insert, tr("&3-Vector"), tr("Insert a vector with three components"), Command::ThreeVector,
                   QKeySequence(Qt::CTRL | Qt::Key_3));

  QMenu* math = menuBar()->addMenu(tr("&Math"));
  selectionActions_ = {
      addEditorCommand(math, tr("Simplif&y"), tr("Simplify selection"), Command::Simplify,
                       QKeySequence(Qt::CTRL | Qt::Key_Y)),
      addEditorCommand(math, tr("&Expand"), tr("Expand selection"), Command::Expand,
                       QKeySequence(Qt::CTRL | Qt::Key_E)),
      addEditorCommand(math, tr("E&valuate"), tr("Evaluate selection"), Command::Evaluate,
                       QKeySequence(Qt::CTRL | Qt::Key_Equal)),
      addEditorCommand(math, tr("&Isolate Term"), tr("Isolate selection on left of '=' sign"),
                       Command::IsolateTerm, QKeySequence(Qt::CTRL | Qt::Key_I)),
  };
  connect(math, &QMenu::aboutToShow, this, &MainWindow::updateCommandStates);

  menuBar()->addMenu(view_->colourMenu());
  graphMenu_ = menuBar()->addMenu(tr("&Graph"));
  createGraphMenu();

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  QAction* helpAction =
      help->addAction(tr("&Getting Started"), QKeySequence(Qt::Key_F1), this, &MainWindow::showHelp);
  helpAction->setStatusTip(tr("How to type and graph equations, and the keys"));
  QAction* about = help->addAction(tr("&About Vexmar..."), this, &MainWindow::showAbout);
  about->setStatusTip(tr("Program information and version"));
}

void MainWindow::createResolutionControl() {
  // How densely the current equation's graph is sampled: twelve steps.
  auto* box = new QWidget(this);
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(tr("Resolution"), box));
  resolution_ = new QSlider(Qt::Horizontal, box);
  resolution_->setObjectName(QStringLiteral("ResolutionSlider"));
  resolution_->setRange(0, kResolutionSteps);
  resolution_->setPageStep(1);
  resolution_->setFixedWidth(120);
  resolution_->setToolTip(tr("Change resolution of graph"));
  layout->addWidget(resolution_);
  box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  sliderBar_->addSeparator();
  sliderBar_->addWidget(box);
  const auto showCurrent = [this] {
    if (document_->equationCount() == 0) return;
    const QSignalBlocker quiet(resolution_);
    resolution_->setValue(
        static_cast<int>(std::lround(document_->currentRecord().resolutionA * kResolutionSteps)));
  };
  showCurrent();
  connect(document_, &VexmarDocument::currentEquationChanged, this, showCurrent);
  connect(resolution_, &QSlider::valueChanged, graphView_, &CGraphView::setResolution);
}

void MainWindow::createGraphMenu() {
  CGraphView* graph = graphView_;
  // Enter and Ctrl+R reach the equation pane first; the menu only names them.
  QAction* draw =
      graphMenu_->addAction(tr("&Draw Graph\tEnter"), this, [this] { document_->requestDrawGraph(); });
  draw->setStatusTip(tr("Graph every equation"));
  QAction* reset =
      graphMenu_->addAction(tr("&Reset Graph\tCtrl+R"), this, [this] { document_->requestResetGraph(); });
  reset->setStatusTip(tr("Return to the standard view and draw the graphs again"));
  graphMenu_->addSeparator();
  // Control with + and - would type into the equation (plus, negate), so zooming takes the page
  // keys; the wheel and a double click in the pane zoom about the pointer.
  QAction* zoomIn = graphMenu_->addAction(tr("Zoom &In"), kZoomInKeys, graph, &CGraphView::zoomIn);
  zoomIn->setStatusTip(tr("Show less of the graphs, larger (or turn the wheel over the graph)"));
  QAction* zoomOut = graphMenu_->addAction(tr("Zoom &Out"), kZoomOutKeys, graph, &CGraphView::zoomOut);
  zoomOut->setStatusTip(tr("Show more of the graphs, smaller (or turn the wheel over the graph)"));
  graphMenu_->addSeparator();

  // The current equation's curve mode: how carefully its curve treats poles and jumps.
  struct CurveModeRow {
    const char* text;
    const char* tip;
    int mode;
  };
  static constexpr CurveModeRow kCurveModes[] = {
      {QT_TR_NOOP("&Careful Curves"), QT_TR_NOOP("Find asymptotes, jumps and gaps exactly"), 2},
      {QT_TR_NOOP("&Bounded Curves"), QT_TR_NOOP("Draw each pixel's whole range of values"), 1},
      {QT_TR_NOOP("&Fast Curves"), QT_TR_NOOP("Join the values at the pixel edges"), 0},
  };
  auto* modes = new QActionGroup(this);
  for (const CurveModeRow& row : kCurveModes) {
    QAction* action =
        graphMenu_->addAction(tr(row.text), graph, [graph, mode = row.mode] { graph->setCurveMode(mode); });
    action->setStatusTip(tr(row.tip));
    action->setCheckable(true);
    action->setData(row.mode);
    modes->addAction(action);
  }
  graphMenu_->addSeparator();

  // The current equation's plot style, for z = f(x, y) and its kin: a surface in space, or a density
  // or contour plot in the plane.
  struct PlotStyleRow {
    const char* text;
    const char* tip;
    int style;
  };
  static constexpr PlotStyleRow kPlotStyles[] = {
      {QT_TR_NOOP("&Surface"), QT_TR_NOOP("Draw z = f(x, y) as a surface in space"), 1},
      {QT_TR_NOOP("De&nsity Plot"),
       QT_TR_NOOP("Colour the plane by z = f(x, y), brighter where it is larger"), 2},
      {QT_TR_NOOP("Con&tour Plot"), QT_TR_NOOP("Draw the level lines of z = f(x, y) in the plane"), 3},
  };
  auto* styles = new QActionGroup(this);
  for (const PlotStyleRow& row : kPlotStyles) {
    QAction* action = graphMenu_->addAction(tr(row.text), this, [this, style = row.style] {
      if (document_->equationCount() == 0) return;
      EquationRecord& record = document_->currentRecord();
      if (record.plotStyle == style) return;
      record.plotStyle = style;
      // A surface puts the whole document into space: every graph is built again.
      document_->noteEquationsEdited();
    });
    action->setStatusTip(tr(row.tip));
    action->setCheckable(true);
    action->setData(row.style);
    styles->addAction(action);
  }
  connect(graphMenu_, &QMenu::aboutToShow, this, [this, modes, styles] {
    const bool any = document_->equationCount() > 0;
    const double mode = any ? document_->currentRecord().curveMode : 2.0;
    for (QAction* action : modes->actions())
      action->setChecked(action->data().toInt() == static_cast<int>(mode));
    const double style = any ? document_->currentRecord().plotStyle : 1.0;
    for (QAction* action : styles->actions()) action->setChecked(action->data().toDouble() == style);
  });
  graphMenu_->addSeparator();
  // Parameters: the animation and the window that lists them.
  QAction* animate = graphMenu_->addAction(tr("&Animate Graph"));
  animate->setCheckable(true);
  animate->setStatusTip(tr("Animate graph"));
  QToolButton* animateButton = sliderBar_->animateButton();
  connect(animate, &QAction::toggled, animateButton, &QToolButton::setChecked);
  connect(animateButton, &QToolButton::toggled, animate, &QAction::setChecked);
  QAction* values = graphMenu_->addAction(tr("S&lider Values..."), sliderBar_, &CSliderBar::editSliderValues);
  values->setStatusTip(tr("Set animation parameters"));
  QAction* parameters = graphMenu_->addAction(tr("&Parameters Window"));
  parameters->setCheckable(true);
  parameters->setStatusTip(tr("Show or hide the parameters and the coordinate ranges"));
  parameters->setChecked(paramFrame_->isVisible());
  connect(parameters, &QAction::toggled, paramFrame_, &QWidget::setVisible);
  connect(paramFrame_, &CParamFrame::visibilityChanged, parameters, &QAction::setChecked);
  graphMenu_->addSeparator();
  QAction* copy = graphMenu_->addAction(tr("Copy &Graph"), graph, &CGraphView::copyGraph);
  copy->setStatusTip(tr("Copy the picture of the graphs to the clipboard"));

  // The renderer choice has keys but no menu. Graphs in space are drawn by the program's own
  // rasteriser; the two device renderers have no device here, so their commands stay disabled.
  struct RendererRow {
    const char* name;
    const char* keys;
    int mode;
    bool available;
  };
  static constexpr RendererRow kRenderers[] = {
      {"RendererDevice", "Ctrl+Alt+Shift+1", 1, false},
      {"RendererEmulated", "Ctrl+Alt+Shift+2", 2, false},
      {"RendererSoftware", "Ctrl+Alt+Shift+3", 3, true},
  };
  for (const RendererRow& row : kRenderers) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(row.name));
    action->setShortcut(QKeySequence(QString::fromLatin1(row.keys)));
    action->setCheckable(true);
    action->setChecked(row.available);
    action->setEnabled(row.available);
    // Choosing the renderer in use changes nothing; keep it checked.
    connect(action, &QAction::triggered, action, [action] { action->setChecked(true); });
    addAction(action);
  }
}

void MainWindow::updateCommandStates() {
  const bool selection = view_->hasSelection();
  cutAction_->setEnabled(selection);
  copyAction_->setEnabled(selection);
  clearAction_->setEnabled(selection);
  pasteAction_->setEnabled(view_->canPaste());
  redoAction_->setEnabled(view_->canRedo());
  undoAction_->setEnabled(view_->canUndo());
  const bool actOn = view_->canActOnSelection();
  for (QAction* action : selectionActions_) action->setEnabled(actOn);
}

void MainWindow::showAbout() {
  QMessageBox::about(this, tr("About Vexmar"),
                     tr("<b>Vexmar</b> version 2.0<br><br>Types, transforms and graphs mathematics.<br><br>"
                        "Written by the Vexmar team at Orvenda."));
}

void MainWindow::showHelp() {
  if (!helpWindow_) {
    helpWindow_ = new QDialog(this);
    helpWindow_->setWindowTitle(tr("Getting Started - Vexmar"));
    auto* browser = new QTextBrowser(helpWindow_);
    browser->setObjectName(QStringLiteral("HelpBrowser"));
    browser->setSource(QUrl(QStringLiteral("qrc:/help/getting_started.html")));
    auto* layout = new QVBoxLayout(helpWindow_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    const QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    helpWindow_->resize(std::min(640, available.width()), std::min(720, available.height()));
  }
  helpWindow_->show();
  helpWindow_->raise();
  helpWindow_->activateWindow();
}

// ---- Idle processing -------------------------------------------------------------------------

void MainWindow::scheduleIdle(bool busy) { idleTimer_.start(busy ? kBusyIdleMs : kQuietIdleMs); }

bool MainWindow::frameIdle() {
  // A message box runs its own event loop; the pass that opened it must finish first.
  if (inIdle_) return false;
  inIdle_ = true;
  MemoryReserve& reserve = memoryReserve();
  if (!reserve.hasReserve()) {
    emit graphRefreshRequested();
    raiseError(Error::MemoryLow);
    if (!reserve.rearm()) raiseError(Error::OutOfMemoryQuit);
  }
  const ErrorCode error = takeError();
  if (error != Error::None) {
    presentMessage_(
        QString::fromUtf8(errorMessage(error).data(), static_cast<qsizetype>(errorMessage(error).size())));
    if (error < Error::GraphMemory) {
      // The program cannot go on: it closes without asking to save.
      document_->setModified(false);
      inIdle_ = false;
      close();
      return false;
    }
    if (error == Error::GraphMemory) emit graphRefreshRequested();
  }
  bool more = false;
  if (divider_.active) {
    advanceDivider();
    more = true;
  }
  if (graphIdleStep_ && graphIdleStep_()) more = true;
  inIdle_ = false;
  return more;
}

void MainWindow::startDividerAnimation(DividerMove move) {
  const QList<int> sizes = splitter_->sizes();
  if (sizes.size() < 2) return;
  const int total = sizes[0] + sizes[1];
  if (move == DividerMove::ShrinkGraph) {
    divider_.target = total - std::max(sizes[1] / 3, kSmallestPane);
    divider_.step = kShrinkStep;
  } else {
    const int equationsBottom = view_->equationOrigin(document_->equationCount() - 1).y() + 60;
    divider_.target =
        std::clamp(equationsBottom, kSmallestPane, std::max(total - kSmallestPane, kSmallestPane));
    divider_.step = -kGrowStep;
  }
  divider_.active = divider_.target != sizes[0];
  divider_.lastTick.invalidate();
  if (divider_.active) scheduleIdle(true);
}

void MainWindow::advanceDivider() {
  if (divider_.lastTick.isValid() && divider_.lastTick.elapsed() < kDividerTickMs) return;
  divider_.lastTick.start();
  QList<int> sizes = splitter_->sizes();
  if (sizes.size() < 2) {
    divider_.active = false;
    return;
  }
  const int total = sizes[0] + sizes[1];
  int top = sizes[0] + divider_.step;
  const bool reached = divider_.step > 0 ? top >= divider_.target : top <= divider_.target;
  if (reached) top = divider_.target;
  splitter_->setSizes({top, total - top});
  // A divider that can no longer move (panes at their smallest) also ends the animation.
  if (reached || splitter_->sizes().value(0) == sizes[0]) divider_.active = false;
}

} // namespace vexmar
