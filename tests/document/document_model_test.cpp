#include "document/document_model.h"

#include "editor/dispatcher.h"
#include "editor/editor_state.h"
#include "model/model_state.h"
#include "numeric/numeric_state.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

namespace vexmar {
namespace {

TEST(DocumentModel, ANewDocumentHasOneEmptyPurpleEquation) {
  DocumentModel doc;
  doc.newDocument();
  ASSERT_EQ(doc.equationCount(), 1);
  const EquationRecord& e = doc.equation(0);
  EXPECT_EQ(e.colourCode, 1.0);
  EXPECT_EQ(e.plotStyle, 1.0);
  EXPECT_EQ(e.curveMode, 2.0);
  EXPECT_EQ(e.resolutionA, 0.5);
  EXPECT_EQ(e.resolutionB, 1.0);
  EXPECT_EQ(e.graphIndex, -1);
  EXPECT_EQ(writeObjectText(*e.insertionPoint->root), "prompt[]");
}

TEST(DocumentModel, NewEquationsTakeTheFirstFreeColourThenFollowTheirNeighbour) {
  DocumentModel doc;
  for (double c : {1.0, 2.0, 4.0}) doc.addEquation(doc.equationCount() - 1).colourCode = c;
  EXPECT_EQ(doc.addEquation(2).colourCode, 3.0);
  while (doc.equationCount() < 8) doc.addEquation(doc.equationCount() - 1);
  // Colours 1..8 are all in use now; find the equations coloured 8 and 3.
  int eight = -1, three = -1;
  for (int i = 0; i < doc.equationCount(); ++i) {
    if (doc.equation(i).colourCode == 8.0) eight = i;
    if (doc.equation(i).colourCode == 3.0) three = i;
  }
  ASSERT_GE(eight, 0);
  ASSERT_GE(three, 0);
  EXPECT_EQ(doc.addEquation(eight).colourCode, 1.0);
  EXPECT_EQ(doc.addEquation(three).colourCode, 4.0);
  doc.equation(0).colourCode = 999.0;
  EXPECT_EQ(doc.addEquation(0).colourCode, 8.0);
}

// Undo could never reach a line that is gone: its steps go with it, other lines' stay.
TEST(DocumentModel, ARemovedEquationTakesItsUndoStepsWithIt) {
  resetEditorState();
  DocumentModel doc;
  doc.newDocument();
  doc.addEquation(0);
  for (int i : {0, 1}) {
    modelState().activeInsertionPoint = doc.equation(i).insertionPoint.get();
    dispatch('x');
  }
  const std::uint64_t kept = doc.equation(0).insertionPoint->serial;
  EXPECT_EQ(editorState().undo.undoSteps(), 2u);
  modelState().activeInsertionPoint = nullptr;
  doc.removeEquation(1);
  EXPECT_EQ(editorState().undo.undoSteps(), 1u);
  EXPECT_EQ(editorState().undo.undoLine(), kept);
  doc.deleteContents();
  EXPECT_EQ(editorState().undo.undoSteps(), 0u);
  resetEditorState();
}

// Deleting is one Undo step across lines: the very record comes back, tree, caret, colour and
// the line's own Undo steps included; Redo deletes it again.
TEST(DocumentModel, UndoPutsADeletedEquationBackWholeAndRedoDeletesItAgain) {
  resetEditorState();
  DocumentModel doc;
  doc.newDocument();
  doc.addEquation(0);
  doc.addEquation(1);
  EquationRecord& middle = doc.equation(1);
  middle.colourCode = 5.0;
  modelState().activeInsertionPoint = middle.insertionPoint.get();
  for (EditorCommand c : {'y', '=', 'x'}) dispatch(c);
  InsertionPoint* const line = middle.insertionPoint.get();
  const std::string typed = writeObjectText(*line->root);
  const std::vector<int> caret = pathTo(*line->current);
  const SelectionMode mode = line->mode;
  modelState().activeInsertionPoint = nullptr;

  ASSERT_TRUE(doc.deleteEquation(1));
  EXPECT_FALSE(doc.deleteEquation(2));
  ASSERT_EQ(doc.equationCount(), 2);
  EXPECT_EQ(editorState().undo.undoLine(), line->serial);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(doc.undoDeletion(), 1);
    ASSERT_EQ(doc.equationCount(), 3);
    EXPECT_EQ(doc.equation(1).insertionPoint.get(), line);
    EXPECT_EQ(doc.equation(1).colourCode, 5.0);
    EXPECT_EQ(writeObjectText(*line->root), typed);
    EXPECT_EQ(pathTo(*line->current), caret);
    EXPECT_EQ(line->mode, mode);
    EXPECT_EQ(doc.undoDeletion(), std::nullopt); // the next step is the typing, not a deletion
    EXPECT_EQ(doc.redoDeletion(), 1);
    EXPECT_EQ(doc.equationCount(), 2);
    EXPECT_EQ(doc.redoDeletion(), std::nullopt);
  }
  // Back in place, the line's typing can be undone as before it was deleted.
  ASSERT_EQ(doc.undoDeletion(), 1);
  modelState().activeInsertionPoint = line;
  ASSERT_TRUE(undo());
  EXPECT_EQ(writeObjectText(*line->root), "prompt[]");
  modelState().activeInsertionPoint = nullptr;
  resetEditorState();
}

TEST(DocumentModel, TheOnlyEquationGivesWayToAnEmptyOneThatItsUndoTakesAway) {
  resetEditorState();
  DocumentModel doc;
  doc.newDocument();
  doc.equation(0).insertionPoint->setRoot(readObjectText("char[x]"));
  const std::uint64_t only = doc.equation(0).insertionPoint->serial;
  ASSERT_TRUE(doc.deleteEquation(0));
  ASSERT_EQ(doc.equationCount(), 1);
  EXPECT_NE(doc.equation(0).insertionPoint->serial, only);
  EXPECT_EQ(writeObjectText(*doc.equation(0).insertionPoint->root), "prompt[]");
  EXPECT_EQ(doc.undoDeletion(), 0);
  ASSERT_EQ(doc.equationCount(), 1);
  EXPECT_EQ(doc.equation(0).insertionPoint->serial, only);
  EXPECT_EQ(doc.redoDeletion(), 0);
  ASSERT_EQ(doc.equationCount(), 1);
  EXPECT_EQ(writeObjectText(*doc.equation(0).insertionPoint->root), "prompt[]");
  // A stand-in that holds something by then stays beside the equation put back.
  doc.equation(0).insertionPoint->setRoot(readObjectText("char[y]"));
  EXPECT_EQ(doc.undoDeletion(), 0);
  ASSERT_EQ(doc.equationCount(), 2);
  EXPECT_EQ(writeObjectText(*doc.equation(1).insertionPoint->root), "char[y]");
  resetEditorState();
}

TEST(DocumentModel, EquationsGoDirectlyAfterTheirPosition) {
  DocumentModel doc;
  doc.addEquation(0).resolutionB = 0.1;  // first
  doc.addEquation(0).resolutionB = 0.2;  // after the first
  doc.addEquation(-1).resolutionB = 0.3; // at the front
  doc.addEquation(99).resolutionB = 0.4; // appended
  std::vector<double> order;
  for (int i = 0; i < doc.equationCount(); ++i) order.push_back(doc.equation(i).resolutionB);
  EXPECT_EQ(order, (std::vector<double>{0.3, 0.1, 0.2, 0.4}));
  doc.removeEquation(1);
  doc.removeEquation(7); // out of range: nothing
  doc.removeEquation(-1);
  EXPECT_EQ(doc.equationCount(), 3);
  EXPECT_EQ(doc.equation(1).resolutionB, 0.2);
}

TEST(DocumentModel, ColourCodesAreValidOnlyAsListed) {
  for (double bad : {0.0, 9.0, 2.5, 17.0, -1.0, 998.0, 1e300}) EXPECT_FALSE(isColourCodeValid(bad)) << bad;
  for (double good : {1.0, 8.0, 10.0, 16.0, 999.0}) EXPECT_TRUE(isColourCodeValid(good)) << good;
  EXPECT_EQ(findColourCode(13.0)->menuLabel, "Gradient");
  EXPECT_EQ(findColourCode(11.0)->name, "Stripes");
  EXPECT_EQ(findColourCode(9.0), nullptr);
}

TEST(DocumentModel, QueriesOverTheEquations) {
  resetNumericState();
  DocumentModel doc;
  doc.newDocument();
  doc.addEquation(0);
  EXPECT_FALSE(doc.anyUsesTexture());
  doc.equation(1).colourCode = 999.0;
  EXPECT_TRUE(doc.anyUsesTexture());
  EXPECT_FALSE(doc.anyUsesAnimationVariable());
  doc.equation(0).insertionPoint->setRoot(readObjectText("plus[char[x],char[n]]"));
  EXPECT_TRUE(doc.anyUsesAnimationVariable()); // n is the animated letter at start
  EXPECT_EQ(doc.equationIndexOf(doc.equation(1).insertionPoint.get()), 1);
  EXPECT_EQ(doc.equationIndexOf(nullptr), 0);
  doc.deleteContents();
  EXPECT_EQ(doc.equationCount(), 0);
}

} // namespace
} // namespace vexmar
