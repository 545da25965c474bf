#pragma once

#include "app/vexmar_document.h"
#include "cli/active_line.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <string>

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

/// Types an equation into line `index` of the document (added when missing) as a user would.
inline void typeEquation(VexmarDocument& document, int index, const std::string& keys) {
  while (document.equationCount() <= index) document.model().addEquation(document.equationCount() - 1);
  ActiveLine active;
  std::string error;
  ASSERT_TRUE(active.typeKeys(keys, error)) << error;
  document.model().equation(index).insertionPoint->setRoot(cloneTree(*active.line().root));
}

} // namespace vexmar::test
