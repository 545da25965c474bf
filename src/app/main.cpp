// Ahead of every Qt header, whose keyword macros would rewrite the engine's `slots` member.
#include "numeric/numeric_state.h"

#include "app/equation_view.h"
#include "app/main_window.h"
#include "app/typesetting_session.h"
#include "cli/command_line.h"
#include "cli/key_script.h"
#include "cli/printable_text.h"
#include "model/memory_reserve.h"
#include "numeric/error_word.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

// Exceptions never cross the event loop: whatever a window command let through is stopped here.
// Memory that ran out is reported from idle time like every other error, with the reserve given
// back so that the message can be shown; the document stays open as it was.
class VexmarApplication final : public QApplication {
public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
      vexmar::memoryReserve().release();
      vexmar::raiseError(vexmar::Error::MemoryLow);
    } catch (const std::exception&) {
      vexmar::raiseError(vexmar::Error::Unknown); // the general message; the program goes on
    }
    return false;
  }
};

// Start-up failures end the program before any window shows, with a stop box and no caption.
int failStartUp(const QString& message) {
  QMessageBox box(QMessageBox::Critical, QString(), message);
  box.exec();
  return 1;
}

// For pictures of the program (the README's, or a check under a virtual display):
// VEXMAR_SCREENSHOT=FILE.png types VEXMAR_SCREENSHOT_KEYS (KEYS as for `vexmar type`) into the
// equation pane, waits for the graphs, saves the window to FILE and quits.
void scheduleScreenshot(vexmar::MainWindow& frame) {
  const QString file = qEnvironmentVariable("VEXMAR_SCREENSHOT");
  if (file.isEmpty()) return;
  const vexmar::KeyScript script =
      vexmar::parseKeyScript(qEnvironmentVariable("VEXMAR_SCREENSHOT_KEYS").toStdString());
  if (!script.error.empty())
    std::cerr << "vexmar: VEXMAR_SCREENSHOT_KEYS: " << vexmar::printableText(script.error) << '\n';
  QTimer::singleShot(200, &frame, [&frame, strokes = script.strokes] {
    for (const vexmar::KeyStroke& stroke : strokes) frame.equationView().typeKeyStroke(stroke);
  });
  QTimer::singleShot(2000, &frame, [&frame, file] {
    if (!frame.grab().save(file))
      std::cerr << "vexmar: cannot write " << vexmar::printableText(file.toStdString()) << '\n';
    QApplication::quit();
  });
}

// `vexmar FILE.grf`: a document to open rather than a subcommand.
bool namesDocument(const std::string& word) {
  return word.size() > 4 &&
         QString::fromStdString(word).endsWith(QStringLiteral(".grf"), Qt::CaseInsensitive);
}

int runWindow(int argc, char* argv[], const QString& documentPath) {
  VexmarApplication app(argc, argv);
  QApplication::setOrganizationName("Orvenda");
  QApplication::setApplicationName("Vexmar");
  if (!vexmar::memoryReserve().hasReserve())
    return failStartUp(QStringLiteral("Not enough free memory to run this application\n"));
  // The graphs are drawn in 32-bit colour and shown through the window system, which converts for
  // 16-, 24- and 32-bit screens; fewer colours cannot show the shaded curves and regions.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int depth = screen ? screen->depth() : 32;
  if (depth != 16 && depth != 24 && depth != 32) {
    const std::string_view message = vexmar::errorMessage(vexmar::Error::ScreenDepth);
    return failStartUp(QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
  }
  vexmar::NumericState& numbers = vexmar::numericState();
  numbers.animatedVariable = 'n';
  numbers.animationValue = 1.0;
  // The document is named from where the program was started, before that changes.
  const QString document = documentPath.isEmpty() ? QString() : QFileInfo(documentPath).absoluteFilePath();
  // The program finds its own files beside itself.
  QDir::setCurrent(QCoreApplication::applicationDirPath());
  std::unique_ptr<vexmar::MainWindow> frame;
  try {
    frame = std::make_unique<vexmar::MainWindow>();
  } catch (const std::bad_alloc&) {
    return failStartUp(QStringLiteral(
        "Could not launch application.\nTry closing other programs to increase available memory"));
  }
  frame->show();
  if (!document.isEmpty()) frame->openDocument(document);
  scheduleScreenshot(*frame);
  return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
  // The reserve is released on the first failed allocation so that the failing request can be
  // retried and the low-memory state can gate editing.
  vexmar::memoryReserve().install();
  // With a subcommand the program works headless and never touches the display.
  if (argc == 2 && namesDocument(argv[1])) return runWindow(argc, argv, QString::fromLocal8Bit(argv[1]));
  if (argc > 1) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vexmar::runCommandLine(args, std::cout, std::cerr, vexmar::typesettingSubcommands());
  }
  return runWindow(argc, argv, {});
}
