// Ahead of every Qt header, whose keyword macros would rewrite the engine's `slots` member.
#include "numeric/numeric_state.h"

#include "app/vexmar_document.h"

#include "document/document_storage.h"

#include "editor/editor_state.h"
#include "graph/equation_classifier.h"
#include "graph/graph_kinds.h"
#include "model/model_state.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vexmar {

VexmarDocument::VexmarDocument(QObject* parent) : QObject(parent) { newDocument(); }

VexmarDocument::~VexmarDocument() { releaseActiveLine(); }

void VexmarDocument::releaseActiveLine() {
  // The editor must never be left pointing into a freed line.
  InsertionPoint*& active = modelState().activeInsertionPoint;
  for (int i = 0; i < model_.equationCount(); ++i)
    if (active == model_.equation(i).insertionPoint.get()) active = nullptr;
}

void VexmarDocument::startEditorAfresh() {
  // A new or opened document forgets the previous command codes and the Undo steps; the
  // clipboard is kept across documents.
  EditorState& editor = editorState();
  editor.currentCommand = editor.previousCommand = 0;
  editor.snapshotDue = true;
  editor.undo.clear();
}

void VexmarDocument::newDocument() {
  releaseActiveLine();
  model_.newDocument();
  startEditorAfresh();
  textures_.clear();
  setFilePath({});
  setModified(false);
  current_ = -1;
  setCurrentEquation(0);
  emit equationsEdited();
  emit fileChanged();
}

void VexmarDocument::setCurrentEquation(int index) {
  if (model_.equationCount() == 0) return;
  index = std::clamp(index, 0, model_.equationCount() - 1);
  modelState().activeInsertionPoint = model_.equation(index).insertionPoint.get();
  if (index == current_) return;
  current_ = index;
  emit currentEquationChanged(index);
}

void VexmarDocument::addEquationAfterCurrent() {
  model_.addEquation(current_);
  setModified(true);
  setCurrentEquation(current_ + 1);
  emit equationsEdited();
}

void VexmarDocument::removeEquation(int index) {
  if (index < 0 || index >= model_.equationCount()) return;
  InsertionPoint*& active = modelState().activeInsertionPoint;
  if (active == model_.equation(index).insertionPoint.get()) active = nullptr;
  model_.deleteEquation(index);
  afterListChange(std::max(index - 1, 0));
}

bool VexmarDocument::stepRemoval(bool forward) {
  const std::optional<int> index = forward ? model_.redoDeletion() : model_.undoDeletion();
  if (!index) return false;
  afterListChange(forward ? std::max(*index - 1, 0) : *index);
  return true;
}

void VexmarDocument::afterListChange(int current) {
  setModified(true);
  // The lines moved: the current index names another line now, whichever it is.
  current_ = -1;
  setCurrentEquation(current);
  emit equationsEdited();
}

void VexmarDocument::setGraphingOn(bool on) {
  if (graphingOn_ == on) return;
  graphingOn_ = on;
  emit messageLinesChanged();
}

bool VexmarDocument::setColourCode(int index, double code) {
  if (index < 0 || index >= model_.equationCount() || !isColourCodeValid(code)) return false;
  EquationRecord& record = model_.equation(index);
  if (record.colourCode == code) return true;
  record.colourCode = code;
  setModified(true);
  emit equationRecoloured(index);
  return true;
}

std::string VexmarDocument::messageLine(int index) const {
  if (!graphingOn_ || index < 0 || index >= model_.equationCount()) return {};
  const EquationRecord& record = model_.equation(index);
  if (record.messageSwitch == 0) return {};
  if (record.graphIndex >= 0) {
    if (record.status <= 0 || record.status >= kGraphStatusCount) return {};
    return std::string(graphStatusMessage(static_cast<GraphStatus>(record.status)));
  }
  const MathObject* root = record.insertionPoint->root.get();
  if (!root) return {};
  // A form this version recognises but has no graph kind for would otherwise read as one that
  // cannot be graphed at all.
  const GraphForm form = classifyWithConditions(*root, graphedIn3D_);
  if (form != GraphForm::None && !graphKindFactory(form, graphedIn3D_))
    return graphedIn3D_ ? "Graphs in space are recognised but not drawn yet"
                        : "This kind of graph is recognised but not drawn yet";
  return std::string(canGraphReasonMessage(whyNotGraphable(*root, graphedIn3D_)));
}

void VexmarDocument::noteEquationsEdited() {
  setModified(true);
  emit equationsEdited();
}

void VexmarDocument::setModified(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  emit modifiedChanged(modified);
}

void VexmarDocument::setFilePath(const QString& path) {
  filePath_ = path;
  title_ = path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).completeBaseName();
}

std::optional<QString> VexmarDocument::openFile(const QString& path, CGraphContainer* graphs) {
  std::string problem;
  const std::optional<std::vector<std::uint8_t>> bytes =
      readFileBytes(QFile::encodeName(path).toStdString(), problem);
  if (!bytes) return QString::fromStdString(problem);
  GrfReadResult read = readGrf(*bytes);
  if (!read.document) return QString::fromStdString(read.error);
  releaseActiveLine();
  DocumentParts parts{model_, numericState().parameters, animation_, textures_, graphs};
  if (const std::optional<std::string> failed = applyDocument(*read.document, parts)) {
    if (model_.equationCount() > 0) setCurrentEquation(current_);
    return QString::fromStdString(*failed);
  }
  preferences_ = read.document->preferences;
  startEditorAfresh();
  setFilePath(QFileInfo(path).absoluteFilePath());
  setModified(false);
  current_ = -1;
  setCurrentEquation(0);
  emit equationsEdited();
  emit fileChanged();
  return std::nullopt;
}

std::optional<QString> VexmarDocument::saveFile(const QString& path, CGraphContainer* graphs) {
  DocumentParts parts{model_, numericState().parameters, animation_, textures_, graphs};
  const std::vector<std::uint8_t> bytes = writeGrf(captureDocument(parts));
  if (const std::optional<std::string> failed =
          saveFileAtomically(QFile::encodeName(path).toStdString(), bytes))
    return QString::fromStdString(*failed);
  setFilePath(QFileInfo(path).absoluteFilePath());
  setModified(false);
  emit fileChanged();
  return std::nullopt;
}

void VexmarDocument::refreshMessageLines() { emit messageLinesChanged(); }

void VexmarDocument::requestDrawGraph() { emit drawGraphRequested(); }

void VexmarDocument::requestResetGraph() { emit resetGraphRequested(); }

} // namespace vexmar
