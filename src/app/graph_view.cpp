// Ahead of every Qt header, whose keyword macros would rewrite the engine's `slots` member.
#include "numeric/numeric_state.h"

#include "app/graph_view.h"

#include "app/frame_image.h"
#include "app/vexmar_document.h"
#include "document/document_graphs.h"
#include "graph/graph_builder.h"
#include "graph/graph_picture.h"
#include "model/clock.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace vexmar {
namespace {

constexpr std::int64_t kSliceMs = 30;
// A spinning picture turns one spin step at most this often.
constexpr std::int64_t kSpinStepMs = 33;
constexpr std::int64_t kPropertySliceMs = 15;
constexpr int kAutoScrollIntervalMs = 30;
constexpr int kLabelPixels = 11;
constexpr int kWheelNotch = 120; // eighths of a degree: one notch of a common wheel

unsigned modifiersOf(const QMouseEvent& event) {
  unsigned modifiers = 0;
  if (event.modifiers() & Qt::ShiftModifier) modifiers |= MouseModifier::Shift;
  if (event.modifiers() & Qt::ControlModifier) modifiers |= MouseModifier::Control;
  return modifiers;
}

} // namespace

CGraphView::CGraphView(VexmarDocument& document, QWidget* parent)
    : CGraphView(document, steadyClock(), parent) {}

CGraphView::CGraphView(VexmarDocument& document, Clock& clock, QWidget* parent)
    : QWidget(parent), document_(document), clock_(clock), container_(PixelRect{}, clock) {
  initialise();
}

CGraphView::~CGraphView() = default;

void CGraphView::initialise() {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  // Typing always goes to the equations, even after the plane was dragged.
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::CrossCursor);
  setMinimumSize(40, 40);
  idleTimer_.setInterval(0);
  connect(&idleTimer_, &QTimer::timeout, this, [this] {
    if (!idleStep()) idleTimer_.stop();
  });
  // A zoom in space shows its steps one after another, each painted before the next.
  container_.space3D().setRedrawNow([this] { repaint(); });
  autoScrollTimer_.setInterval(kAutoScrollIntervalMs);
  connect(&autoScrollTimer_, &QTimer::timeout, this, &CGraphView::autoScroll);
  spinTimer_.setSingleShot(true);
  connect(&spinTimer_, &QTimer::timeout, this, &CGraphView::wakeIdle);

  connect(&document_, &VexmarDocument::drawGraphRequested, this, &CGraphView::drawGraph);
  connect(&document_, &VexmarDocument::resetGraphRequested, this, &CGraphView::resetGraph);
  connect(&document_, &VexmarDocument::equationsEdited, this, [this] {
    if (graphingOn()) rebuildGraphs();
  });
  connect(&document_, &VexmarDocument::equationRecoloured, this, &CGraphView::recolour);

  // The slider starts at the value and letter the numeric engine starts with.
  AnimationSlider& animation = document_.animation();
  SliderSettings settings = animation.settings();
  settings.variable = static_cast<std::uint16_t>(numericState().animatedVariable);
  animation.setSettings(settings);
  animation.setValue(numericState().animationValue);
}

bool CGraphView::graphingOn() const { return document_.graphingOn(); }

PixelRect CGraphView::deviceRect() const {
  const qreal ratio = devicePixelRatioF();
  const int width = std::max(0, static_cast<int>(std::lround(this->width() * ratio)));
  const int height = std::max(0, static_cast<int>(std::lround(this->height() * ratio)));
  return {0, 0, std::min(height, FrameBuffer::kMaxDimension), std::min(width, FrameBuffer::kMaxDimension)};
}

PixelPoint CGraphView::devicePoint(QPointF position) const {
  const qreal ratio = devicePixelRatioF();
  return {static_cast<int>(std::floor(position.x() * ratio)),
          static_cast<int>(std::floor(position.y() * ratio))};
}

bool CGraphView::updateFrameBuffer() {
  const PixelRect rect = deviceRect();
  if (rect.isEmpty()) {
    frame_.release();
    suspended_ = true;
    return false;
  }
  const qreal ratio = devicePixelRatioF();
  // The plane counts its scale in screen-independent pixels, so a view looks the same on every
  // screen while curves are sampled at every device pixel.
  container_.plane().setPixelRatio(ratio);
  if (!text_ || textScale_ != ratio) {
    text_ = std::make_unique<QtTextRenderer>(static_cast<int>(std::lround(kLabelPixels * ratio)));
    textScale_ = ratio;
  }
  const bool withDepth = container_.is3DActive();
  if (frame_.width() == rect.width() && frame_.height() == rect.height() && frame_.hasDepth() == withDepth) {
    suspended_ = false;
    return true;
  }
  suspended_ = !frame_.resize(rect.width(), rect.height(), withDepth);
  return !suspended_;
}

void CGraphView::resizeEvent(QResizeEvent* /*event*/) {
  const bool hadBuffer = !frame_.isEmpty();
  if (!updateFrameBuffer() && !hadBuffer && !deviceRect().isEmpty()) {
    QMessageBox::critical(this, QStringLiteral("Vexmar"),
                          QStringLiteral("Could not initialize Direct Draw!"));
    QApplication::exit(1);
    return;
  }
  container_.layoutChanged(deviceRect());
  if (graphingOn()) container_.work(kSliceMs);
  update();
  wakeIdle();
}

void CGraphView::renderPicture() {
  if (suspended_ && !updateFrameBuffer()) return;
  if (frame_.width() != deviceRect().width() || frame_.height() != deviceRect().height()) {
    if (!updateFrameBuffer()) return;
    container_.layoutChanged(deviceRect());
  } else if (frame_.hasDepth() != container_.is3DActive() && !updateFrameBuffer()) {
    // The dimension changed: space needs the depth buffer, the plane does not.
    return;
  }
  // The graphs are drawn only while graphing is on; the empty plane still shows its axes.
  const unsigned flags = graphingOn() ? DrawFlag::All : DrawFlag::Background;
  drawGraphPicture(container_, frame_, text_.get(), flags);
}

void CGraphView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  renderPicture();
  if (frame_.isEmpty()) {
    painter.fillRect(rect(), Qt::white);
    return;
  }
  QImage image = imageOf(frame_);
  image.setDevicePixelRatio(devicePixelRatioF());
  painter.drawImage(QPointF(0, 0), image);
}

QImage CGraphView::picture() {
  renderPicture();
  if (frame_.isEmpty()) return {};
  return imageOf(frame_).copy();
}

void CGraphView::wakeIdle() {
  if (wakeIdleLoop_) {
    wakeIdleLoop_();
  } else if (!idleTimer_.isActive()) {
    idleTimer_.start();
  }
}

bool CGraphView::idleStep() {
  if (!graphingOn()) return false;
  const bool complete = container_.allComplete();
  AnimationSlider& animation = document_.animation();
  if (firstPass_ && complete && !animation.animating()) {
    refreshStatuses();
    firstPass_ = false;
  }
  if (container_.active().takeRedrawRequest()) update();
  if (animation.animating()) {
    if (animation.step(clock_.nowMs(), complete)) {
      animationMoved();
      emit animationStepped();
    } else if (!animation.animating()) {
      emit animationStepped(); // played once to the end
    }
  }
  if (container_.allComplete()) {
    if (!spinningInSpace()) return animation.animating();
    // A spin step per frame would turn faster on faster machines; a steady pace reads better.
    const std::int64_t wait = lastSpinStepMs_ + kSpinStepMs - clock_.nowMs();
    if (wait > 0) {
      if (!spinTimer_.isActive()) spinTimer_.start(static_cast<int>(wait));
      return animation.animating();
    }
    lastSpinStepMs_ = clock_.nowMs();
  }
  container_.work(kSliceMs);
  update();
  return true;
}

bool CGraphView::spinningInSpace() const {
  return container_.is3DActive() && container_.space3D().spinning && !mouseCaptured_;
}

void CGraphView::finishGraphs(int limitMs) {
  const std::int64_t end = clock_.nowMs() + limitMs;
  // A running animation wants idle time for ever; finished means every graph complete.
  while (graphingOn() && !container_.allComplete() && clock_.nowMs() < end) idleStep();
  idleStep();
}

void CGraphView::refreshStatuses() {
  document_.setGraphedIn3D(container_.is3DActive());
  DocumentModel& model = document_.model();
  for (int i = 0; i < model.equationCount(); ++i) {
    EquationRecord& record = model.equation(i);
    record.status = record.graphIndex >= 0 ? static_cast<int>(container_.status(record.graphIndex)) : 0;
  }
  document_.refreshMessageLines();
  emit graphStateChanged();
}

// Enter on a graphed document draws the edited equations again, as an edit would.
void CGraphView::drawGraph() { rebuildGraphs(); }

void CGraphView::rebuildGraphs() {
  container_.clearGraphs();
  rebuildAllGraphs(container_, document_.model());
  // Graphs are only ever built to be shown.
  document_.setGraphingOn(true);
  firstPass_ = true;
  refreshStatuses();
  update();
  wakeIdle();
}

void CGraphView::graphOff() {
  container_.clearGraphs();
  document_.setGraphingOn(false);
  document_.refreshMessageLines();
  update();
  emit graphStateChanged();
}

void CGraphView::resetGraph() {
  if (document_.equationCount() > 0) document_.currentRecord().curveMode = 2.0;
  container_.clearGraphs();
  container_.zoom(CGraphPlane::Reset);
  document_.setGraphingOn(false);
  drawGraph();
}

void CGraphView::zoomIn() {
  container_.zoom(CGraphPlane::ZoomIn);
  reportLimit();
  update();
  wakeIdle();
}

void CGraphView::zoomOut() {
  container_.zoom(CGraphPlane::ZoomOut);
  reportLimit();
  update();
  wakeIdle();
}

void CGraphView::reportLimit() {
  if (!container_.plane().takeLimitNotice()) return;
  emit statusMessage(tr("The view goes no further this way: its coordinates would leave the range of "
                        "double-precision numbers. Reset Graph (Ctrl+R) returns to the standard view."));
}

void CGraphView::setResolution(int position) {
  if (document_.equationCount() == 0) return;
  const double value = position / 12.0;
  EquationRecord& record = document_.currentRecord();
  record.resolutionA = value;
  if (!graphingOn()) return;
  container_.setProperty(GraphProperty::Resolution, value, record.graphIndex);
  container_.work(kPropertySliceMs);
  update();
  wakeIdle();
}

void CGraphView::setCurveMode(int mode) {
  if (document_.equationCount() == 0 || mode < 0 || mode > 2) return;
  EquationRecord& record = document_.currentRecord();
  record.curveMode = mode;
  if (!graphingOn()) return;
  container_.setProperty(GraphProperty::CurveMode, mode, record.graphIndex);
  firstPass_ = true;
  update();
  wakeIdle();
}

void CGraphView::setParameter(std::uint16_t name, double value) {
  // Stored even when no graph uses the letter yet: the next graph built reads it.
  applyParameterValue(name, value);
  if (!graphingOn()) return;
  container_.parameterChanged(name, value);
  container_.work(kPropertySliceMs);
  update();
  wakeIdle();
}

void CGraphView::animationMoved() {
  const AnimationSlider& animation = document_.animation();
  setParameter(animation.settings().variable, animation.value());
}

void CGraphView::setAnimatedVariable(std::uint16_t letter) {
  NumericState& numbers = numericState();
  if (numbers.animatedVariable == letter) return;
  numbers.animatedVariable = letter;
  numbers.animationValue = document_.animation().value();
  // Programs read the animated letter from its slot and bake every other one in.
  if (graphingOn()) rebuildGraphs();
}

void CGraphView::setAnimating(bool on) {
  document_.animation().setAnimating(on);
  wakeIdle();
}

void CGraphView::recolour(int equation) {
  if (!graphingOn() || equation < 0 || equation >= document_.equationCount()) return;
  const EquationRecord& record = document_.model().equation(equation);
  container_.setProperty(GraphProperty::ColourIndex, record.colourCode, record.graphIndex);
  update();
}

void CGraphView::copyGraph() {
  const QImage image = picture();
  if (!image.isNull()) QApplication::clipboard()->setImage(image);
}

void CGraphView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  mouseCaptured_ = true;
  lastMouse_ = devicePoint(event->position());
  container_.active().mouseDown(lastMouse_, modifiersOf(*event), false);
  if (container_.is3DActive() && container_.space3D().pressedOnGraph())
    emit statusMessage(tr("Clicking on the 3D surface stops it from spinning."));
  autoScrollTimer_.start();
  update();
  wakeIdle();
}

void CGraphView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  lastMouse_ = devicePoint(event->position());
  container_.active().mouseDown(lastMouse_, modifiersOf(*event), true);
  reportLimit();
  update();
  wakeIdle();
}

void CGraphView::mouseMoveEvent(QMouseEvent* event) {
  const PixelPoint point = devicePoint(event->position());
  if (mouseCaptured_) {
    container_.active().mouseMove(point, lastMouse_);
    reportLimit();
    if (container_.active().takeRedrawRequest()) update();
    wakeIdle();
  }
  lastMouse_ = point;
}

void CGraphView::wheelEvent(QWheelEvent* event) {
  // Fine-grained wheels and touchpads send parts of a notch; they add up to whole steps.
  wheelAngle_ += event->angleDelta().y();
  const PixelPoint point = devicePoint(event->position());
  // The plane zooms about the pointer; space about the centre of its box.
  const auto zoomOnce = [&](int kind) {
    if (container_.is3DActive())
      container_.zoom(kind);
    else
      container_.plane().zoomAt(kind, point);
  };
  bool zoomed = false;
  for (; wheelAngle_ >= kWheelNotch; wheelAngle_ -= kWheelNotch, zoomed = true) zoomOnce(CGraphPlane::ZoomIn);
  for (; wheelAngle_ <= -kWheelNotch; wheelAngle_ += kWheelNotch, zoomed = true)
    zoomOnce(CGraphPlane::ZoomOut);
  event->accept();
  if (!zoomed) return;
  reportLimit();
  update();
  wakeIdle();
}

void CGraphView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !mouseCaptured_) return;
  mouseCaptured_ = false;
  autoScrollTimer_.stop();
  container_.active().mouseUp(devicePoint(event->position()));
  if (spinningInSpace()) emit statusMessage(tr("Dragging the surface spins it."));
  update();
  wakeIdle();
}

void CGraphView::autoScroll() {
  if (!mouseCaptured_ || container_.is3DActive()) return;
  const PixelPoint point = devicePoint(mapFromGlobal(QCursor::pos()));
  if (deviceRect().contains(point)) return;
  container_.active().mouseMove(point, lastMouse_);
  reportLimit();
  lastMouse_ = point;
  update();
  wakeIdle();
}

} // namespace vexmar
