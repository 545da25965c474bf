#include "app/preferences.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vexmar {
namespace {

// Each row stores one value and says what the setting reads afterwards.
TEST(Preferences, StoredValuesReplaceDefaultsOnlyWhenAcceptable) {
  QTemporaryDir folder;
  struct Row {
    const char* name;
    const char* value;
    const char* stored;
    int Preferences::*field;
    int expected;
  };
  const Row rows[] = {
      {"digits in range", "SigFigs", "14", &Preferences::sigFigs, 14},
      {"too many digits", "SigFigs", "15", &Preferences::sigFigs, 8},
      {"no digits", "SigFigs", "0", &Preferences::sigFigs, 0},
      {"not a number", "SigFigs", "many", &Preferences::sigFigs, 8},
      {"main size", "SubMainFontSize", "24", &Preferences::mainFontSize, 24},
      {"main size too large", "SubMainFontSize", "73", &Preferences::mainFontSize, 18},
      {"script size too small", "Sub1Size", "5", &Preferences::firstScriptSize, 12},
      {"second script size", "Sub2Size", "6", &Preferences::secondScriptSize, 6},
      {"hardware renderer", "UseHWAccleration", "7", &Preferences::rendererMode,
       Preferences::kRendererHardware},
      {"software renderer", "UseHWAccleration", "0", &Preferences::rendererMode,
       Preferences::kRendererSoftware},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QSettings settings(folder.filePath("prefs.ini"), QSettings::IniFormat);
    settings.clear();
    settings.setValue(row.value, row.stored);
    Preferences preferences;
    preferences.load(settings);
    EXPECT_EQ(preferences.*row.field, row.expected);
  }
}

TEST(Preferences, TypefaceMustBeShortAndNotEmptyAndSavingWritesEverything) {
  QTemporaryDir folder;
  QSettings settings(folder.filePath("prefs.ini"), QSettings::IniFormat);
  Preferences preferences;
  settings.setValue("Typeface", "");
  preferences.load(settings);
  EXPECT_EQ(preferences.typeface, "Times New Roman");
  settings.setValue("Typeface", QString(65, 'a'));
  preferences.load(settings);
  EXPECT_EQ(preferences.typeface, "Times New Roman");
  settings.setValue("Typeface", "DejaVu Serif");
  preferences.load(settings);
  EXPECT_EQ(preferences.typeface, "DejaVu Serif");

  preferences.sigFigs = 5;
  preferences.rendererMode = Preferences::kRendererSoftware;
  settings.clear();
  preferences.save(settings);
  for (const char* name : {"SigFigs", "SubMainFontSize", "Sub1Size", "Sub2Size", "Typeface",
                           "UseHWAccleration", "ShowOldVersWarning"})
    EXPECT_TRUE(settings.contains(name)) << name;
  Preferences reread;
  reread.load(settings);
  EXPECT_EQ(reread.sigFigs, 5);
  EXPECT_EQ(reread.rendererMode, Preferences::kRendererSoftware);
  EXPECT_EQ(reread.typeface, "DejaVu Serif");
  EXPECT_EQ(settings.value("ShowOldVersWarning").toInt(), 0);
}

TEST(Preferences, TypingHabitsAreOnUnlessStoredOffAndEachIsSaved) {
  QTemporaryDir folder;
  QSettings settings(folder.filePath("prefs.ini"), QSettings::IniFormat);
  Preferences preferences;
  preferences.load(settings);
  EXPECT_EQ(preferences.typing, TypingHabits{});
  for (const TypingHabitRow& habit : typingHabitTable()) {
    SCOPED_TRACE(habit.setting);
    const QString name =
        QString::fromUtf8(habit.setting.data(), static_cast<qsizetype>(habit.setting.size()));
    for (const char* ignored : {"2", "off", ""}) {
      settings.setValue(name, ignored);
      Preferences read;
      read.load(settings);
      EXPECT_TRUE(read.typing.*habit.field) << ignored;
    }
    settings.setValue(name, "0");
    Preferences read;
    read.load(settings);
    EXPECT_FALSE(read.typing.*habit.field);
    EXPECT_EQ(read.typing, [&] {
      TypingHabits expected;
      expected.*habit.field = false;
      return expected;
    }());
    settings.remove(name);
  }
  preferences.typing = TypingHabits::classic();
  preferences.save(settings);
  Preferences reread;
  reread.load(settings);
  EXPECT_EQ(reread.typing, TypingHabits::classic());
}

} // namespace
} // namespace vexmar
