#pragma once

#include "document/animation_slider.h"
#include "document/document_model.h"
#include "document/grf_file.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vexmar {

class CGraphContainer;

/// The open document of the single-document application: the equations, which of them is being
/// edited, and whether the graphs are drawn. Both panes talk to each other only through it.
class VexmarDocument : public QObject {
  Q_OBJECT
public:
  explicit VexmarDocument(QObject* parent = nullptr);
  ~VexmarDocument() override;

  /// Empties the document and starts it with one empty equation, the one being edited.
  void newDocument();

  [[nodiscard]] DocumentModel& model() { return model_; }
  [[nodiscard]] const DocumentModel& model() const { return model_; }
  [[nodiscard]] int equationCount() const { return model_.equationCount(); }

  /// The equation being edited; its insertion point is the editor's active one.
  [[nodiscard]] int currentEquation() const { return current_; }
  [[nodiscard]] EquationRecord& currentRecord() { return model_.equation(current_); }
  /// Makes equation `index` (clamped to the list) the one being edited.
  void setCurrentEquation(int index);
  /// Adds an empty equation after the current one and makes it current.
  void addEquationAfterCurrent();
  /// Removes equation `index` as one Undo step; the one above it (the new first one when it was
  /// first) becomes current. Removing the only equation leaves one empty equation.
  void removeEquation(int index);
  /// Undo (Redo when `forward`) of the history's next step when it removed an equation: the
  /// equation comes back in its place and becomes current, or goes again as removeEquation takes
  /// it. False when the next step is no removal.
  bool stepRemoval(bool forward);

  /// The Draw Graph state, set by the graph pane.
  [[nodiscard]] bool graphingOn() const { return graphingOn_; }
  void setGraphingOn(bool on);

  /// Whether the graphs were last built in space; the message lines explain for that dimension.
  void setGraphedIn3D(bool in3D) { graphedIn3D_ = in3D; }

  /// Sets an equation's colour or pattern code; false for an invalid code or index.
  bool setColourCode(int index, double code);

  /// The red line shown with an equation: empty unless graphing is on and the equation's message
  /// switch is set; the reason it can't be graphed when it has no graph, else its graph's status.
  [[nodiscard]] std::string messageLine(int index) const;

  /// The file's name without its folder and extension; "Untitled" before the first save.
  [[nodiscard]] QString title() const { return title_; }
  /// The file the document was opened from or last saved to; empty for a new document.
  [[nodiscard]] QString filePath() const { return filePath_; }
  [[nodiscard]] bool isModified() const { return modified_; }
  void setModified(bool modified);

  /// Reads a document file into fresh state and puts it in place of this one only when all of
  /// it reads; otherwise returns the problem and this document stays exactly as it was. `graphs`
  /// receives the stored view settings (may be null).
  [[nodiscard]] std::optional<QString> openFile(const QString& path, CGraphContainer* graphs);
  /// Writes the document safely over `path` (the old file survives a failure); returns the
  /// problem on failure. On success the document takes the file's name and is unmodified.
  [[nodiscard]] std::optional<QString> saveFile(const QString& path, CGraphContainer* graphs);

  /// The display preferences the last opened file carried (older files do), once.
  [[nodiscard]] std::optional<GrfPreferences> takeDisplayPreferences() {
    return std::exchange(preferences_, {});
  }

  /// The texture chunk read from the document's file, written back unchanged.
  [[nodiscard]] const std::vector<std::uint8_t>& textures() const { return textures_; }

  /// Called after an edit changed the structure of some equation line (or the list of lines).
  void noteEquationsEdited();

  /// The animation slider: its range, letter and position, and whether it is sweeping.
  [[nodiscard]] AnimationSlider& animation() { return animation_; }

public slots:
  /// Asks the equation pane to repaint the message lines (the graph statuses changed).
  void refreshMessageLines();
  /// Asks for the graphs to be drawn (Enter, Draw Graph).
  void requestDrawGraph();
  /// Asks for the graphs to be reset (Ctrl+R, Reset Graph).
  void requestResetGraph();

signals:
  /// A structural edit happened in an equation line, or lines were added or removed.
  void equationsEdited();
  void currentEquationChanged(int index);
  void messageLinesChanged();
  /// An equation's colour code changed; a graphed equation's graph must be recoloured.
  void equationRecoloured(int index);
  void drawGraphRequested();
  void resetGraphRequested();
  /// The unsaved-changes mark changed.
  void modifiedChanged(bool modified);
  /// Another document took this one's place (opened) or the file name changed (saved).
  void fileChanged();

private:
  /// After lines were added or removed: equation `current` becomes the current one.
  void afterListChange(int current);
  void setFilePath(const QString& path);
  /// Clears the editor's pointer when it points into one of this document's lines.
  void releaseActiveLine();
  void startEditorAfresh();

  DocumentModel model_;
  AnimationSlider animation_;
  int current_ = 0;
  bool graphingOn_ = false;
  bool graphedIn3D_ = false;
  bool modified_ = false;
  QString title_ = QStringLiteral("Untitled");
  QString filePath_;
  std::vector<std::uint8_t> textures_;
  std::optional<GrfPreferences> preferences_;
};

} // namespace vexmar
