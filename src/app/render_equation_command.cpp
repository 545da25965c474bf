#include "app/qt_drawing_surface.h"
#include "app/typesetting_session.h"
#include "cli/active_line.h"
#include "cli/subcommands.h"
#include "editor/editor_state.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <ostream>

namespace vexmar {
namespace {

constexpr int kMargin = 8; // pixels of white around the equation

int wholePixels(Fixed value) { return static_cast<int>(std::ceil(toPixels(value))); }

} // namespace

int runRenderEquationCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
  EquationArguments arguments;
  std::string error;
  if (!readEquationArguments("render-equation", args, true, arguments, error))
    return commandLineError(err, error);
  TypesettingSession session;
  ActiveLine active(arguments.habits);
  if (arguments.start && !active.startFromText(*arguments.start, error))
    return commandLineError(err, "render-equation: --start: " + error);
  InsertionPoint& line = active.line();
  if (arguments.wrap) line.wrapWidth = static_cast<Fixed>(*arguments.wrap * 65536);
  if (!active.typeKeys(arguments.keys, error)) return commandLineError(err, "render-equation: " + error);
  Typesetter& typesetter = session.typesetter();
  typesetter.layoutLine(line);

  const int width = wholePixels(Typesetter::drawnWidth(line)) + 2 * kMargin;
  const int height = wholePixels(Typesetter::drawnHeight(line)) + 2 * kMargin;
  if (width > 32768 || height > 32768)
    return commandLineError(err, "render-equation: the equation is too large for an image");
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QtDrawingSurface surface(painter);
    DrawOptions options;
    options.caret = arguments.caret;
    options.promptWithoutMark = editorState().promptWithoutMark;
    typesetter.drawLine(line, surface, toFixed(kMargin), toFixed(kMargin), options);
  }
  if (!image.save(QString::fromStdString(arguments.output), "PNG"))
    return commandLineError(err, "render-equation: cannot write '" + arguments.output + "'");
  return 0;
}

} // namespace vexmar
