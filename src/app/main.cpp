#include "app/command_line.h"
#include "app/typesetting_session.h"
#include "model/memory_reserve.h"

#include <QApplication>
#include <QMainWindow>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
  // The reserve is released on the first failed allocation so that the failing request can be
  // retried and the low-memory state can gate editing.
  vexmar::memoryReserve().install();
  // With a subcommand the program works headless and never touches the display.
  if (argc > 1) {
    vexmar::addTypesettingSubcommands();
    std::vector<std::string> args(argv + 1, argv + argc);
    return vexmar::runCommandLine(args, std::cout, std::cerr);
  }
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Orvenda");
  QApplication::setApplicationName("Vexmar");
  // The main window with its equation and graph panes is built on this frame.
  QMainWindow frame;
  frame.setWindowTitle("Untitled - Vexmar");
  frame.resize(550, 600);
  frame.show();
  return QApplication::exec();
}
