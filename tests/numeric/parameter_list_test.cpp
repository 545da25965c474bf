#include "numeric/parameter_list.h"

#include "model/model_state.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vexmar {
namespace {

TEST(ParameterList, SetAddsOrChangesByName) {
  ParameterList list;
  list.set("a", "2");
  list.set("alpha", "3");
  list.set("a", "4");
  ASSERT_EQ(list.all().size(), 2u);
  ASSERT_NE(list.find("a"), nullptr);
  EXPECT_EQ(list.find("a")->valueText, "4");
  EXPECT_EQ(list.find("b"), nullptr);
  list.clear();
  EXPECT_TRUE(list.all().empty());
}

TEST(ParameterList, ValuesByLetterAndByName) {
  resetModelState();
  ParameterList list;
  list.set("alpha", "0.5");
  list.set("k", "not a number");
  struct Row {
    const char* name;
    double byLetter; // the parameter whose name starts with the letter
    double byName;   // the parameter of exactly that name
  };
  const Row rows[] = {
      {"alpha", 0.5, 0.5},
      {"a", 0.5, 0.0}, // no parameter is named "a", but "alpha" starts with it
      {"z", 0.0, 0.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(list.valueForLetter(static_cast<unsigned char>(row.name[0])), row.byLetter);
    EXPECT_EQ(list.valueForName(row.name), row.byName);
  }
  EXPECT_TRUE(std::isnan(list.valueForLetter('k')));
  EXPECT_TRUE(std::isnan(list.valueForName("k")));
}

// a_1 is a parameter of its own: listed before a, it still gives a no value.
TEST(ParameterList, ASubscriptedNameIsNoLettersParameter) {
  resetModelState();
  ParameterList list;
  list.set("b_1", "3");
  EXPECT_EQ(list.valueForLetter('b'), 0.0);
  list.set("b", "2");
  EXPECT_EQ(list.valueForLetter('b'), 2.0);
  EXPECT_EQ(list.valueForName("b_1"), 3.0);
}

} // namespace
} // namespace vexmar
