#pragma once

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

namespace vexmar::test {

/// One application for the whole run, headless unless QT_QPA_PLATFORM says otherwise, with its
/// settings in a folder of its own. Never destroyed: Qt's own statics go first at exit.
inline QApplication& application() {
  static QTemporaryDir settingsFolder;
  static int argc = 1;
  static char name[] = "vexmar_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    auto* a = new QApplication(argc, argv);
    QApplication::setOrganizationName("OrvendaTest");
    QApplication::setApplicationName("VexmarTest");
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    return a;
  }();
  return *app;
}

} // namespace vexmar::test
