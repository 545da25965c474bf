#include "app/qt_clipboard.h"

#include "app/qt_drawing_surface.h"
#include "model/insertion_point.h"
#include "text/object_text.h"
#include "typeset/typesetter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include <cmath>

namespace vexmar {
namespace {

constexpr int kImageMargin = 4;         // white pixels around the typeset equation
constexpr int kLargestImageSide = 8192; // larger pictures are left off the clipboard

// On Windows a registered format is reached through this form of the name; elsewhere the name
// itself is the format.
QString windowsFormatName() {
  return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(kEquationClipboardFormat);
}

QClipboard* systemClipboard() { return QGuiApplication::instance() ? QGuiApplication::clipboard() : nullptr; }

} // namespace

QImage QtClipboard::typesetImage(const MathObject& tree, Typesetter& typesetter, qreal devicePixelRatio) {
  // The picture is typeset on a line of its own so that the equation under edit keeps its layout.
  std::unique_ptr<InsertionPoint> line = createLineState();
  line->setRoot(copyTree(tree));
  typesetter.layoutLine(*line);
  const double width = toPixels(Typesetter::drawnWidth(*line)) + 2 * kImageMargin;
  const double height = toPixels(Typesetter::drawnHeight(*line)) + 2 * kImageMargin;
  const double scale = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  const int pixelWidth = static_cast<int>(std::ceil(width * scale));
  const int pixelHeight = static_cast<int>(std::ceil(height * scale));
  if (pixelWidth <= 0 || pixelHeight <= 0 || pixelWidth > kLargestImageSide ||
      pixelHeight > kLargestImageSide)
    return {};
  QImage image(pixelWidth, pixelHeight, QImage::Format_RGB32);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QtDrawingSurface surface(painter);
  typesetter.drawLine(*line, surface, toFixed(kImageMargin), toFixed(kImageMargin));
  return image;
}

void QtClipboard::putEquation(const MathObject& tree, Typesetter& typesetter) {
  QClipboard* clipboard = systemClipboard();
  if (!clipboard) return;
  const QByteArray text = QByteArray::fromStdString(writeObjectText(tree));
  auto data = std::make_unique<QMimeData>();
  data->setData(QString::fromLatin1(kEquationClipboardFormat), text);
  data->setData(windowsFormatName(), text);
  const QImage image = typesetImage(tree, typesetter);
  if (!image.isNull()) data->setImageData(image);
  clipboard->setMimeData(data.release());
}

void QtClipboard::clear() {
  if (QClipboard* clipboard = systemClipboard()) clipboard->clear();
}

bool QtClipboard::holdsEquation() {
  const QClipboard* clipboard = systemClipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  return data && (data->hasFormat(QString::fromLatin1(kEquationClipboardFormat)) ||
                  data->hasFormat(windowsFormatName()));
}

ObjectPtr QtClipboard::readEquation() {
  const QClipboard* clipboard = systemClipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data) return nullptr;
  QByteArray text = data->data(QString::fromLatin1(kEquationClipboardFormat));
  if (text.isEmpty()) text = data->data(windowsFormatName());
  // Other programs may end the text with a NUL, as a C string.
  while (!text.isEmpty() && text.back() == '\0') text.chop(1);
  if (text.isEmpty()) return nullptr;
  return readObjectText(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

} // namespace vexmar
