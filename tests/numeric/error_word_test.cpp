#include "numeric/error_word.h"
#include "numeric/numeric_state.h"

#include <gtest/gtest.h>

#include <string>

namespace vexmar {
namespace {

class ErrorWordTest : public ::testing::Test {
protected:
  void SetUp() override { resetNumericState(); }
  void TearDown() override { resetNumericState(); }
};

TEST_F(ErrorWordTest, SmallestCodeIsPendingAndEachIsShownOnce) {
  // 9 then 7 before the next idle shows only 7; 9 was recorded, so it stays unshown.
  raiseError(Error::MemoryLow);
  raiseError(Error::GraphMemory);
  EXPECT_EQ(pendingError(), Error::GraphMemory);
  EXPECT_EQ(takeError(), Error::GraphMemory);
  EXPECT_EQ(takeError(), Error::None);
  raiseError(Error::MemoryLow);
  raiseError(Error::GraphMemory); // a later stack overflow shows nothing
  EXPECT_EQ(takeError(), Error::None);
  raiseError(Error::None);
  EXPECT_EQ(pendingError(), Error::None);
}

TEST_F(ErrorWordTest, LargerCodeWhilePendingIsDroppedWithoutBeingRecorded) {
  raiseError(Error::GraphMemory);
  raiseError(Error::MemoryLow);
  EXPECT_EQ(takeError(), Error::GraphMemory);
  raiseError(Error::MemoryLow);
  EXPECT_EQ(takeError(), Error::MemoryLow);
}

TEST_F(ErrorWordTest, CodesBeyondTheMaskShareOneRecordAndAliasNoOtherCode) {
  // A shift by 33 wrapping to bit 1 would swallow the later code 1.
  raiseError(33);
  EXPECT_EQ(takeError(), 33);
  raiseError(Error::General);
  EXPECT_EQ(takeError(), Error::General);
  raiseError(1000);
  EXPECT_EQ(takeError(), Error::None);
  raiseError(31);
  EXPECT_EQ(takeError(), 31);
}

TEST_F(ErrorWordTest, NegativeCodeIsRecordedAsUnknownAndDoesNotEndTheProgram) {
  raiseError(Error::GraphMemory);
  raiseError(-1); // must not pre-empt a real code
  EXPECT_EQ(takeError(), Error::GraphMemory);
  raiseError(-5);
  const ErrorCode code = takeError();
  EXPECT_EQ(code, Error::Unknown);
  EXPECT_GE(code, Error::GraphMemory); // codes below 7 close the application
  raiseError(-5);
  raiseError(40); // shares the record of codes without a bit
  EXPECT_EQ(takeError(), Error::None);
}

TEST(ErrorMessages, EveryCodeMapsToItsMessage) {
  struct Row {
    ErrorCode code;
    int messageId;
  };
  const Row rows[] = {{1, 61455},  {2, 61456},  {3, 61480},  {4, 61481},  {5, 61482},  {6, 61457},
                      {7, 61515},  {8, 61459},  {9, 61458},  {10, 61460}, {11, 61462}, {12, 61455},
                      {15, 61455}, {16, 61461}, {17, 61455}, {32, 61455}, {-3, 61455}};
  for (const Row& row : rows) {
    SCOPED_TRACE("code " + std::to_string(row.code));
    EXPECT_EQ(errorMessageId(row.code), row.messageId);
    EXPECT_FALSE(errorMessage(row.code).empty());
  }
  EXPECT_EQ(errorMessage(14), "An error has occurred.");
  EXPECT_EQ(errorMessageId(Error::None), 0);
  EXPECT_TRUE(errorMessage(Error::None).empty());
}

} // namespace
} // namespace vexmar
