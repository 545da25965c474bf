#pragma once

#include "editor/dispatcher.h"
#include "editor/editor_state.h"
#include "model/insertion_point.h"
#include "model/model_state.h"
#include "text/object_text.h"
#include "typeset/typesetting_state.h"

#include <gtest/gtest.h>

#include <string>

namespace vexmar::test {

/// One active equation line built from a text form, with fresh process-wide state.
struct EditorFixture : ::testing::Test {
  std::unique_ptr<InsertionPoint> line = createLineState();

  EditorFixture() {
    resetModelState();
    resetTypesettingState();
    resetEditorState();
    modelState().activeInsertionPoint = line.get();
  }
  ~EditorFixture() override {
    modelState().activeInsertionPoint = nullptr;
    resetEditorState();
    resetTypesettingState();
    resetModelState();
  }

  /// Replaces the line's tree; the whole equation is selected.
  void start(const std::string& text) {
    ObjectPtr root = readObjectText(text);
    ASSERT_TRUE(root) << text;
    line->setRoot(std::move(root));
  }
  /// Puts the caret on the object at `path` in `mode`, with the selection indices given.
  void caret(std::vector<int> path, SelectionMode mode, int first = 0, int last = 0) {
    MathObject* object = followPath(*line->root, path);
    ASSERT_TRUE(object);
    line->current = object;
    line->mode = mode;
    line->selFirst = first;
    line->selLast = last;
  }
  [[nodiscard]] std::string text() const { return writeObjectText(*line->root); }
  [[nodiscard]] std::vector<int> currentPath() const { return pathTo(*line->current); }
  void run(std::initializer_list<EditorCommand> codes) {
    for (EditorCommand c : codes) dispatch(c);
  }
};

} // namespace vexmar::test
