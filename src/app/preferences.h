#pragma once

#include "document/grf_file.h"
#include "editor/typing_habits.h"
#include "model/insertion_point.h"

#include <string>

class QSettings;

namespace vexmar {

/// The display preferences: how equations are typeset, how numbers are shown and which renderer
/// draws 3D graphs; and the typing habits. Kept in the settings under the program's own value
/// names.
struct Preferences {
  static constexpr int kRendererHardware = 1;
  static constexpr int kRendererSoftware = 2;

  int sigFigs = 8;
  int mainFontSize = 18;
  int firstScriptSize = 12;
  int secondScriptSize = 9;
  std::string typeface = "Times New Roman";
  int rendererMode = kRendererHardware;
  /// One value each, named in the habit table: 1 on, 0 off.
  TypingHabits typing;

  /// Replaces each setting whose stored value is present and acceptable; the rest keep theirs.
  void load(const QSettings& settings);
  /// Writes every value.
  void save(QSettings& settings) const;
  /// The point sizes of the equation lines (16.16).
  [[nodiscard]] SizeTable sizeTable() const;
  /// Makes the number formatting use these settings.
  void applyToNumbers() const;
  /// Takes the display preferences an older document carries: each value only when it is one
  /// the preferences can hold (a size from 6 to 72 points, digits 0 to 14, a typeface named).
  void takeFromDocument(const GrfPreferences& document);
};

} // namespace vexmar
