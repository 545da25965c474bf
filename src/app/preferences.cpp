#include "app/preferences.h"

#include "text/number_text.h"
#include "text/text_state.h"
#include "typeset/typesetter.h"

#include <QSettings>

#include <optional>
#include <string>

namespace vexmar {
namespace {

constexpr int kLongestTypeface = 64; // bytes, as the value was always stored

std::optional<int> readInteger(const QSettings& settings, const char* name) {
  const QVariant value = settings.value(QLatin1String(name));
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  const int number = value.toInt(&ok);
  return ok ? std::optional<int>(number) : std::nullopt;
}

void readRange(const QSettings& settings, const char* name, int low, int high, int& target) {
  const std::optional<int> value = readInteger(settings, name);
  if (value && *value >= low && *value <= high) target = *value;
}

} // namespace

void Preferences::takeFromDocument(const GrfPreferences& document) {
  const auto take = [](std::int64_t value, int low, int high, int& target) {
    if (value >= low && value <= high) target = static_cast<int>(value);
  };
  take(document.sigFigs, 0, 14, sigFigs);
  take(document.mainFontSize, 6, 72, mainFontSize);
  take(document.firstScriptSize, 6, 72, firstScriptSize);
  take(document.secondScriptSize, 6, 72, secondScriptSize);
  if (!document.typeface.empty()) typeface = document.typeface;
}

void Preferences::load(const QSettings& settings) {
  readRange(settings, "SigFigs", 0, 14, sigFigs);
  readRange(settings, "SubMainFontSize", 6, 72, mainFontSize);
  readRange(settings, "Sub1Size", 6, 72, firstScriptSize);
  readRange(settings, "Sub2Size", 6, 72, secondScriptSize);
  const QByteArray face = settings.value(QStringLiteral("Typeface")).toString().toUtf8();
  if (!face.isEmpty() && face.size() <= kLongestTypeface) typeface = face.toStdString();
  if (const std::optional<int> hardware = readInteger(settings, "UseHWAccleration"))
    rendererMode = *hardware != 0 ? kRendererHardware : kRendererSoftware;
  for (const TypingHabitRow& habit : typingHabitTable()) {
    const std::string name(habit.setting);
    const std::optional<int> on = readInteger(settings, name.c_str());
    if (on && (*on == 0 || *on == 1)) typing.*habit.field = *on == 1;
  }
  // "ShowOldVersWarning" is only ever written.
}

void Preferences::save(QSettings& settings) const {
  settings.setValue(QStringLiteral("SigFigs"), sigFigs);
  settings.setValue(QStringLiteral("SubMainFontSize"), mainFontSize);
  settings.setValue(QStringLiteral("Sub1Size"), firstScriptSize);
  settings.setValue(QStringLiteral("Sub2Size"), secondScriptSize);
  settings.setValue(QStringLiteral("Typeface"), QString::fromStdString(typeface));
  settings.setValue(QStringLiteral("UseHWAccleration"), rendererMode == kRendererHardware ? 1 : 0);
  settings.setValue(QStringLiteral("ShowOldVersWarning"), 0);
  for (const TypingHabitRow& habit : typingHabitTable())
    settings.setValue(QString::fromUtf8(habit.setting.data(), static_cast<qsizetype>(habit.setting.size())),
                      typing.*habit.field ? 1 : 0);
}

SizeTable Preferences::sizeTable() const {
  return makeSizeTable(mainFontSize, firstScriptSize, secondScriptSize);
}

void Preferences::applyToNumbers() const { textState().sigFigs = sigFigs; }

} // namespace vexmar
