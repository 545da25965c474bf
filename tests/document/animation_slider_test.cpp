#include "document/animation_slider.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexmar {
namespace {

TEST(SliderValues, TheDialogsFieldsAreCheckedAndAWrongWayRoundRangeIsTurned) {
  SliderSettings settings;
  EXPECT_FALSE(acceptSliderValues(10, 0, 5, "a", settings));
  EXPECT_EQ(settings, (SliderSettings{0, 10, 5, 'a'}));

  struct Row {
    int lowest, highest, steps;
    const char* variable;
    const char* message;
  };
  const Row refused[] = {
      {-201, 0, 10, "n", "Please enter an integer between -200 and 200."},
      {0, 201, 10, "n", "Please enter an integer between -200 and 200."},
      {0, 10, 0, "n", "Please enter an integer between 1 and 100."},
      {0, 10, 101, "n", "Please enter an integer between 1 and 100."},
      {0, 10, 10, "", "The variable name must be a single letter."},
      {0, 10, 10, "ab", "The variable name must be a single letter."},
      {0, 10, 10, "1", "The variable name must be a single letter."},
  };
  for (const Row& row : refused) {
    const std::optional<std::string> message =
        acceptSliderValues(row.lowest, row.highest, row.steps, row.variable, settings);
    ASSERT_TRUE(message) << row.variable;
    EXPECT_EQ(*message, row.message);
    EXPECT_EQ(settings, (SliderSettings{0, 10, 5, 'a'})) << "a refused entry changes nothing";
  }
}

TEST(AnimationSlider, PositionsSpreadTheValuesFromLowestToHighest) {
  AnimationSlider slider;
  slider.setSettings({-4, 6, 5, 'a'});
  EXPECT_EQ(slider.firstPosition(), -4);
  EXPECT_EQ(slider.lastPosition(), 1);
  const double expected[] = {-4, -2, 0, 2, 4, 6};
  for (int p = -4; p <= 1; ++p) EXPECT_DOUBLE_EQ(slider.valueAt(p), expected[p + 4]);
  slider.setPosition(99);
  EXPECT_EQ(slider.position(), 1);
  slider.setValue(0.9);
  EXPECT_DOUBLE_EQ(slider.value(), 0.0);
  // New settings keep the value where it still fits.
  slider.setSettings({0, 10, 10, 'a'});
  EXPECT_DOUBLE_EQ(slider.value(), 0.0);
  slider.setValue(7);
  slider.setSettings({-20, 20, 40, 'a'});
  EXPECT_DOUBLE_EQ(slider.value(), 7.0);
}

TEST(AnimationSlider, TheSweepTurnsAtEitherEndAndWaitsForTheGraphsAndTheClock) {
  AnimationSlider slider;
  slider.setSettings({0, 10, 1, 'a'});
  EXPECT_FALSE(slider.step(0, true)) << "not animating";
  slider.setAnimating(true);
  std::vector<double> values;
  std::int64_t now = 1000;
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(slider.step(now, true));
    values.push_back(slider.value());
    EXPECT_FALSE(slider.step(now + 99, true)) << "too soon";
    now += 100;
    EXPECT_FALSE(slider.step(now, false)) << "graphs still computing";
  }
  EXPECT_EQ(values, (std::vector<double>{10, 0, 10, 0, 10}));

  // Played once, it stops at the last position.
  slider.setSettings({0, 3, 3, 'a'});
  slider.setPosition(0);
  slider.setAnimating(true, true);
  int steps = 0;
  while (slider.step(now += 100, true)) ++steps;
  EXPECT_EQ(steps, 3);
  EXPECT_FALSE(slider.animating());
  EXPECT_DOUBLE_EQ(slider.value(), 3.0);

  // Another letter stops a running animation.
  slider.setAnimating(true);
  slider.setSettings({0, 3, 3, 'b'});
  EXPECT_FALSE(slider.animating());
}

TEST(EnterParameter, NamesAreCheckedWithTheDialogsMessages) {
  EXPECT_EQ(parameterNameProblem(""), "You must type in a parameter name");
  EXPECT_EQ(parameterNameProblem("e"),
            "'e' is the base of natural logarithms,\n and is not a valid parameter");
  for (const char* letter : {"t", "u", "v", "x", "y", "z", "r"})
    EXPECT_EQ(parameterNameProblem(letter),
              "'" + std::string(letter) + "' is used to graph equations,\n and is not a valid parameter");
  EXPECT_EQ(parameterNameProblem("7"), "A parameter name is a single letter");
  EXPECT_EQ(parameterNameProblem("ab"), "A parameter name is a single letter");
  EXPECT_FALSE(parameterNameProblem("a"));
  EXPECT_FALSE(parameterNameProblem("Q"));

  ParameterList parameters;
  EXPECT_EQ(suggestedParameterName(parameters), "a");
  for (const char* name : {"b", "a", "c", "d"}) parameters.set(name, "1");
  EXPECT_EQ(suggestedParameterName(parameters), "f") << "e is skipped";
  for (const char* name : {"f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "s"})
    parameters.set(name, "1");
  EXPECT_EQ(suggestedParameterName(parameters), "w");
  parameters.set("w", "1");
  EXPECT_EQ(suggestedParameterName(parameters), "");
}

} // namespace
} // namespace vexmar
