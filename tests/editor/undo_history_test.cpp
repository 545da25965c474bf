#include "editor/undo_history.h"

#include "text/object_text.h"

#include <gtest/gtest.h>

#include <memory>

namespace vexmar {
namespace {

// A removed line that counts how many of its kind are alive, to prove the history frees every
// line it holds exactly once.
struct CountedLine final : DetachedLine {
  static inline int alive = 0;
  explicit CountedLine(int id) : id(id) { ++alive; }
  ~CountedLine() override { --alive; }
  int id;
};

LineRemoval removalOf(std::uint64_t serial, int position, int id) {
  return {serial, position, std::make_unique<CountedLine>(id)};
}

struct UndoHistoryTest : ::testing::Test {
  void SetUp() override { CountedLine::alive = 0; }
  void TearDown() override {
    history.clear();
    EXPECT_EQ(CountedLine::alive, 0);
  }
  UndoHistory history;
};

TEST_F(UndoHistoryTest, UndoHandsARemovedLineBackAndRedoTakesItAgain) {
  history.recordRemoval(removalOf(7, 2, 1));
  EXPECT_TRUE(history.undoRestoresLine());
  EXPECT_FALSE(history.redoRemovesLine());
  EXPECT_EQ(history.undoLine(), 7u);

  std::unique_ptr<DetachedLine> list; // the list of lines, one place long
  int position = -1;
  ASSERT_TRUE(history.undoRemoval([&](LineRemoval& r) {
    list = std::move(r.line);
    position = r.position;
  }));
  EXPECT_EQ(position, 2);
  ASSERT_TRUE(list);
  EXPECT_EQ(static_cast<CountedLine&>(*list).id, 1);
  EXPECT_EQ(history.undoSteps(), 0u);
  EXPECT_TRUE(history.redoRemovesLine());
  EXPECT_EQ(history.redoLine(), 7u);
  EXPECT_FALSE(history.undoRemoval([](LineRemoval&) { ADD_FAILURE() << "no step to undo"; }));

  ASSERT_TRUE(history.redoRemoval([&](LineRemoval& r) {
    EXPECT_EQ(r.lineSerial, 7u);
    r.line = std::move(list);
    r.position = 0; // where the line stood this time
    return true;
  }));
  EXPECT_EQ(CountedLine::alive, 1);
  EXPECT_TRUE(history.undoRestoresLine());
  EXPECT_EQ(history.redoSteps(), 0u);
  ASSERT_TRUE(history.undoRemoval([&](LineRemoval& r) { position = r.position; }));
  EXPECT_EQ(position, 0);
  // The callee did not take the line: the history does not keep it either.
  EXPECT_EQ(CountedLine::alive, 0);
}

TEST_F(UndoHistoryTest, EveryWayAStepIsDroppedFreesItsLine) {
  struct Row {
    const char* name;
    void (*drop)(UndoHistory&);
  };
  const Row rows[] = {
      {"the history is cleared", [](UndoHistory& h) { h.clear(); }},
      {"the line is forgotten", [](UndoHistory& h) { h.forgetLine(1); }},
      {"the oldest falls off",
       [](UndoHistory& h) {
         for (std::size_t i = 0; i < UndoHistory::kDepth; ++i) h.recordRemoval(removalOf(2, 0, 2));
         EXPECT_EQ(CountedLine::alive, static_cast<int>(UndoHistory::kDepth));
         h.clear();
       }},
      {"Redo finds the line gone",
       [](UndoHistory& h) {
         h.undoRemoval([](LineRemoval&) {});
         EXPECT_FALSE(h.redoRemoval([](LineRemoval&) { return false; }));
         EXPECT_EQ(h.redoSteps(), 0u);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    history.recordRemoval(removalOf(1, 0, 1));
    row.drop(history);
    EXPECT_EQ(CountedLine::alive, 0);
    EXPECT_EQ(history.undoSteps(), 0u);
  }
}

TEST_F(UndoHistoryTest, AnEditStepWaitsBehindANewerRemoval) {
  std::unique_ptr<InsertionPoint> line = createLineState();
  line->setRoot(readObjectText("char[a]"));
  history.record(*UndoSnapshot::take(*line));
  line->setRoot(readObjectText("char[b]"));
  history.recordRemoval(removalOf(line->serial + 1, 1, 1));
  EXPECT_EQ(history.newest(), nullptr);
  EXPECT_FALSE(history.undo(*line));
  EXPECT_EQ(writeObjectText(*line->root), "char[b]");
  ASSERT_TRUE(history.undoRemoval([](LineRemoval&) {}));
  ASSERT_TRUE(history.undo(*line));
  EXPECT_EQ(writeObjectText(*line->root), "char[a]");
  // Redo comes back in the opposite order: the edit first, then the removal.
  EXPECT_FALSE(history.redoRemovesLine());
  ASSERT_TRUE(history.redo(*line));
  EXPECT_TRUE(history.redoRemovesLine());
}

} // namespace
} // namespace vexmar
