#include "app/equation_view.h"

#include "app/qt_clipboard.h"
#include "app/qt_drawing_surface.h"
#include "app/vexmar_document.h"
#include "cli/key_routing.h"
#include "editor/dispatcher.h"
#include "editor/editor_state.h"
#include "editor/key_table.h"
#include "graph/graph_messages.h"
#include "graph/graph_style.h"
#include "model/model_state.h"
#include "numeric/error_word.h"
#include "typeset/typesetter.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionMenuItem>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <new>

namespace vexmar {
namespace {

constexpr int kEquationLeft = 50; // equations start right of the swatches
constexpr int kLineGap = 22;      // room above each equation for its message line
constexpr int kMessageRise = 15;  // the message's top above the equation's top
constexpr int kSwatchSize = 24;   // the swatch's square, shadow included
constexpr int kRightMargin = 16;  // kept free right of the widest equation
constexpr int kBottomMargin = 30; // below the last equation, room for the status text
constexpr int kTermDragStep = 12; // pixels past the selection before a term moves
constexpr int kStatusInset = 5;   // the status text's distance from the bottom-left corner
constexpr QRgb kMessageColour = qRgb(255, 0, 0);
constexpr QRgb kStatusColour = qRgb(0x5F, 0x5F, 0x5F);
constexpr QRgb kSwatchShadow = qRgb(0x7F, 0x7F, 0x7F);

int wholePixels(Fixed value) { return static_cast<int>(std::ceil(toPixels(value))); }

QColor colourOf(ColourRef ref) { return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF); }

// How the swatches and the colour menu picture each pattern code.
enum class Sample {
  Checkers,
  Stripes,
  Bars,
  VerticalGradient,
  HorizontalGradient,
  CandyStripes,
  CandyBars,
  Texture
};
struct SampleRow {
  int code;
  Sample sample;
};
constexpr std::array<SampleRow, 8> kPatternSamples = {{
    {10, Sample::Checkers},
    {11, Sample::Stripes},
    {12, Sample::Bars},
    {13, Sample::VerticalGradient},
    {14, Sample::HorizontalGradient},
    {15, Sample::CandyStripes},
    {16, Sample::CandyBars},
    {999, Sample::Texture},
}};

QColor plainColour(int index) { return colourOf(colourForIndex(index)); }

void drawPattern(QPainter& painter, const QRect& area, Sample sample) {
  const int step = std::max(area.width() / 4, 2);
  switch (sample) {
  case Sample::Checkers:
    for (int i = 0; i * step < area.width(); ++i)
      for (int j = 0; j * step < area.height(); ++j)
        painter.fillRect(area.left() + i * step, area.top() + j * step, step, step,
                         (i + j) % 2 ? QColor(Qt::white) : plainColour(1));
    return;
  case Sample::Stripes:
  case Sample::Bars:
  case Sample::CandyStripes:
  case Sample::CandyBars: {
    // Bands of the plain colours in turn; the candy kinds put white between them.
    const bool candy = sample == Sample::CandyStripes || sample == Sample::CandyBars;
    const bool across = sample == Sample::Stripes || sample == Sample::CandyStripes;
    for (int i = 0; i * step < std::max(area.width(), area.height()); ++i) {
      const QColor c = candy && i % 2 ? QColor(Qt::white) : plainColour(1 + (candy ? i / 2 : i) % 8);
      if (across)
        painter.fillRect(area.left(), area.top() + i * step, area.width(), step, c);
      else
        painter.fillRect(area.left() + i * step, area.top(), step, area.height(), c);
    }
    return;
  }
  case Sample::VerticalGradient:
  case Sample::HorizontalGradient: {
    QLinearGradient gradient(area.topLeft(),
                             sample == Sample::VerticalGradient ? area.bottomLeft() : area.topRight());
    for (int i = 0; i <= 6; ++i) gradient.setColorAt(i / 6.0, QColor::fromHsv(i * 50, 255, 255));
    painter.fillRect(area, gradient);
    return;
  }
  case Sample::Texture:
    painter.fillRect(area, QColor(0xC8, 0xB4, 0x8C));
    painter.setPen(QColor(0x8C, 0x64, 0x32));
    for (int y = area.top(); y < area.bottom(); y += 4)
      painter.drawLine(area.left(), y, area.right(), y + (y / 4) % 3 - 1);
    return;
  }
}

// A small picture of a colour or surface pattern, framed.
void drawColourSample(QPainter& painter, const QRect& area, double code) {
  painter.save();
  painter.setClipRect(area);
  painter.fillRect(area, Qt::white);
  if (code >= 1 && code <= 8 && std::trunc(code) == code)
    painter.fillRect(area, plainColour(static_cast<int>(code)));
  for (const SampleRow& row : kPatternSamples)
    if (row.code == code) drawPattern(painter, area, row.sample);
  painter.restore();
  painter.setPen(Qt::black);
  painter.drawRect(area.adjusted(0, 0, -1, -1));
}

// The colour menu draws each item itself: the sample and the string-table name of the colour
// (which differs from the action's text for some patterns), sized from the icon-title font.
class ColourMenuStyle : public QProxyStyle {
public:
  ColourMenuStyle() : QProxyStyle(nullptr) {
    font_ = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    // A 17-pixel title font is too cramped for the samples; that size gets a 20-point font.
    if (QFontMetrics(font_).height() == 17) font_.setPointSize(20);
  }

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item || item->menuItemType == QStyleOptionMenuItem::Separator)
      return QProxyStyle::sizeFromContents(type, option, size, widget);
    const QFontMetrics metrics(font_);
    const QString label = labelOf(item->text);
    return {metrics.horizontalAdvance(label) + 45, std::max(metrics.height() + 14, 24)};
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !item || item->menuItemType == QStyleOptionMenuItem::Separator) {
      QProxyStyle::drawControl(element, option, painter, widget);
      return;
    }
    const QRect r = item->rect;
    const bool selected = item->state & State_Selected;
    painter->fillRect(r, selected ? item->palette.highlight() : item->palette.window());
    const ColourCode* colour = colourOf(item->text);
    const int side = std::min(r.height() - 8, 16);
    const QRect sample(r.left() + 8, r.top() + (r.height() - side) / 2, side + 6, side);
    if (colour) drawColourSample(*painter, sample, colour->code);
    if (item->checked) {
      painter->setPen(QPen(item->palette.text().color(), 2));
      painter->drawRect(sample.adjusted(-2, -2, 1, 1));
    }
    painter->setFont(font_);
    painter->setPen(selected ? item->palette.highlightedText().color() : item->palette.text().color());
    painter->drawText(r.adjusted(38, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, labelOf(item->text));
  }

private:
  static const ColourCode* colourOf(const QString& actionText) {
    const std::string text = actionText.toStdString();
    for (const ColourCode& c : colourCodes())
      if (c.menuLabel == text) return &c;
    return nullptr;
  }
  static QString labelOf(const QString& actionText) {
    const ColourCode* c = colourOf(actionText);
    return c ? QString::fromUtf8(c->name.data(), static_cast<qsizetype>(c->name.size())) : actionText;
  }

  QFont font_;
};

// Letters and digits typed with Control arrive as their key, since the text then is a control
// code; the key of a letter is upper case, so Shift decides the case as it would when typing.
int characterOfKey(int key, Qt::KeyboardModifiers modifiers) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z)
    return (modifiers & Qt::ShiftModifier) ? key : key - Qt::Key_A + 'a';
  if (key >= 0x20 && key < 0x7F) return key;
  return 0;
}

bool isLastChild(const MathObject& o) { return o.parent && o.indexInParent == o.parent->childCount() - 1; }

// True when the caret, after `current`, ends the slot child 1 of a `target` without passing an
// `other` on the way up.
bool endsSlotOf(const MathObject& current, ObjectKind target, ObjectKind other) {
  for (const MathObject* o = &current; o->parent; o = o->parent) {
    const MathObject& parent = *o->parent;
    if (!isLastChild(*o)) return false;
    if (parent.kind == target && o->indexInParent == 1) return true;
    if (parent.kind == other) return false;
  }
  return false;
}

bool isLetter(const MathObject* o, char letter) {
  return o && o->kind == ObjectKind::char_ && o->payloadA == letter;
}

// f(x): the letter f times the letter x in parentheses.
bool isFOfX(const MathObject& o) {
  if (o.kind != ObjectKind::times || o.childCount() != 2 || !isLetter(o.child(0), 'f')) return false;
  const MathObject* brackets = o.child(1);
  return brackets && brackets->kind == ObjectKind::id && brackets->childCount() == 1 &&
         isLetter(brackets->child(0), 'x');
}

// Whether the editor has a use for the key. Keys it has none for are left to the menus: their
// shortcuts (Control+Shift+Z) and, for Alt with a letter, their mnemonics.
bool isEditorKey(const KeyStroke& stroke, const InsertionPoint& ip) {
  const auto* key = std::get_if<CharacterKey>(&stroke.key);
  if (!key || findAccelerator(stroke)) return true;
  const int c = key->character;
  const bool control = stroke.modifiers & KeyModifier::Control;
  const bool alt = stroke.modifiers & KeyModifier::Alt;
  if (!control && !alt) return true;
  if (alt && !control && (c == ' ' || c == '\\' || c == '.')) return true;
  const bool letter = c < 128 && std::isalpha(c);
  const char separator = modelState().decimalSeparator;
  if (control && letter && !(stroke.modifiers & KeyModifier::Shift))
    return translateKey(std::toupper(c) - 'A' + 1, stroke.modifiers, &ip, separator) != 0;
  if (alt && letter) return false;
  return translateKey(c, stroke.modifiers, &ip, separator) != 0;
}

} // namespace

std::string_view statusHintFor(const InsertionPoint& ip) {
  if (ip.current && ip.mode == SelectionMode::After) {
    if (endsSlotOf(*ip.current, ObjectKind::power, ObjectKind::over))
      return graphStringById(kCanGraphReasonStringBase + 10);
    if (endsSlotOf(*ip.current, ObjectKind::over, ObjectKind::power))
      return graphStringById(kCanGraphReasonStringBase + 11);
  }
  if (const MathObject* root = ip.root.get()) {
    const MathObject* side = root->kind == ObjectKind::equal ? root->firstChild() : root;
    if (side && isFOfX(*side)) return graphStringById(kCanGraphReasonStringBase + 12);
  }
  return {};
}

std::optional<KeyStroke> keyStrokeFromEvent(const QKeyEvent& event) {
  const Qt::KeyboardModifiers qtModifiers = event.modifiers();
  int modifiers = 0;
  if (qtModifiers & Qt::ControlModifier) modifiers |= KeyModifier::Control;
  if (qtModifiers & Qt::ShiftModifier) modifiers |= KeyModifier::Shift;
  if (qtModifiers & Qt::AltModifier) modifiers |= KeyModifier::Alt;
  struct NamedRow {
    int qtKey;
    ViewKey key;
  };
  static constexpr std::array<NamedRow, 9> kNamedKeys = {{
      {Qt::Key_Left, ViewKey::Left},
      {Qt::Key_Right, ViewKey::Right},
      {Qt::Key_Up, ViewKey::Up},
      {Qt::Key_Down, ViewKey::Down},
      {Qt::Key_Home, ViewKey::Home},
      {Qt::Key_End, ViewKey::End},
      {Qt::Key_Delete, ViewKey::Delete},
      {Qt::Key_Return, ViewKey::Enter},
      {Qt::Key_Enter, ViewKey::Enter},
  }};
  for (const NamedRow& row : kNamedKeys)
    if (event.key() == row.qtKey) return KeyStroke{NamedKey{row.key}, modifiers};
  const auto character = [&](int c, int m) { return KeyStroke{CharacterKey{c}, m}; };
  // Backspace and Tab are characters to the editor, as they are in a typed KEYS string.
  if (event.key() == Qt::Key_Backspace) return character(KeyCharacter::Backspace, modifiers);
  if (event.key() == Qt::Key_Tab) return character(KeyCharacter::Tab, modifiers);
  if (event.key() == Qt::Key_Backtab) return character(KeyCharacter::Tab, modifiers | KeyModifier::Shift);
  if (modifiers & (KeyModifier::Control | KeyModifier::Alt)) {
    const int c = characterOfKey(event.key(), qtModifiers);
    if (c == 0) return std::nullopt;
    return character(c, modifiers);
  }
  // A printed character carries its Shift already ("Y", "^"), as a typed KEYS string does; any
  // Unicode character reaches the editor, which knows what − or π stands for.
  const QList<uint> text = event.text().toUcs4();
  if (text.size() != 1) return std::nullopt;
  const uint c = text.front();
  if (c < 0x20 || c == 0x7F) return std::nullopt;
  return character(static_cast<int>(c), 0);
}

CVexmarView::CVexmarView(VexmarDocument& document, Typesetter& typesetter, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), typesetter_(typesetter),
      sizeTable_(defaultSizeTable()) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setMouseTracking(true);
  viewport()->setCursor(Qt::IBeamCursor);
  buildColourMenu();
  connect(&document_, &VexmarDocument::equationsEdited, this, &CVexmarView::invalidate);
  connect(&document_, &VexmarDocument::messageLinesChanged, this, &CVexmarView::invalidate);
  connect(&document_, &VexmarDocument::equationRecoloured, this, &CVexmarView::invalidate);
  connect(&document_, &VexmarDocument::currentEquationChanged, this, &CVexmarView::invalidate);
  // Asking the system clipboard can wait on another program, so what it holds is noted when it
  // changes rather than on every key.
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    connect(clipboard, &QClipboard::dataChanged, this,
            [this] { clipboardHoldsEquation_ = QtClipboard::holdsEquation(); });
    clipboardHoldsEquation_ = QtClipboard::holdsEquation();
  }
  layoutLines();
}

CVexmarView::~CVexmarView() = default;

bool CVexmarView::hasLine() const {
  return document_.currentEquation() >= 0 && document_.currentEquation() < document_.equationCount();
}

InsertionPoint& CVexmarView::currentLine() const {
  return *document_.model().equation(document_.currentEquation()).insertionPoint;
}

template <typename Work> void CVexmarView::guarded(Work&& work) {
  // Exceptions never cross the event loop: an allocation that failed even after the reserve was
  // released is reported from idle time like every other error.
  try {
    work();
  } catch (const std::bad_alloc&) {
    raiseError(Error::MemoryLow);
  }
  if (const std::string_view refusal = takeRefusal(); !refusal.empty())
    emit commandRefused(QString::fromUtf8(refusal.data(), static_cast<qsizetype>(refusal.size())));
}

void CVexmarView::setSizeTable(const SizeTable& sizes) {
  sizeTable_ = sizes;
  DocumentModel& model = document_.model();
  for (int i = 0; i < model.equationCount(); ++i) markChangedFromRoot(*model.equation(i).insertionPoint);
  invalidate();
}

void CVexmarView::layoutLines() {
  DocumentModel& model = document_.model();
  const Fixed wrap = toFixed(std::max(viewport()->width() - kEquationLeft - kRightMargin, 100));
  lines_.assign(static_cast<std::size_t>(model.equationCount()), LineBox{});
  int y = kLineGap;
  contentWidth_ = 0;
  for (int i = 0; i < model.equationCount(); ++i) {
    InsertionPoint& ip = *model.equation(i).insertionPoint;
    if (ip.sizeTable != sizeTable_ || ip.wrapWidth != wrap) {
      ip.sizeTable = sizeTable_;
      ip.wrapWidth = wrap;
      markChangedFromRoot(ip);
    }
    guarded([&] { typesetter_.ensureLayout(ip); });
    LineBox& box = lines_[static_cast<std::size_t>(i)];
    box.top = y;
    box.height = std::max(wholePixels(Typesetter::drawnHeight(ip)), kSwatchSize);
    contentWidth_ =
        std::max(contentWidth_, kEquationLeft + wholePixels(Typesetter::drawnWidth(ip)) + kRightMargin);
    y += box.height + kLineGap;
  }
  contentHeight_ = y + kBottomMargin;
  updateScrollBars();
}

void CVexmarView::updateScrollBars() {
  const QSize page = viewport()->size();
  verticalScrollBar()->setPageStep(page.height());
  verticalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setRange(0, std::max(0, contentHeight_ - page.height()));
  horizontalScrollBar()->setPageStep(page.width());
  horizontalScrollBar()->setSingleStep(20);
  horizontalScrollBar()->setRange(0, std::max(0, contentWidth_ - page.width()));
}

void CVexmarView::invalidate() {
  backBufferValid_ = false;
  layoutLines();
  viewport()->update();
}

QPoint CVexmarView::contentOffset() const {
  return {-horizontalScrollBar()->value(), -verticalScrollBar()->value()};
}

QPoint CVexmarView::equationOrigin(int line) const {
  if (line < 0 || line >= static_cast<int>(lines_.size())) return {};
  return QPoint(kEquationLeft, lines_[static_cast<std::size_t>(line)].top) + contentOffset();
}

QRect CVexmarView::swatchRect(int line) const {
  if (line < 0 || line >= static_cast<int>(lines_.size())) return {};
  const LineBox& box = lines_[static_cast<std::size_t>(line)];
  const int top = box.top + (box.height - kSwatchSize) / 2 + contentOffset().y();
  return {9 + contentOffset().x(), top - 1, 26, 26};
}

int CVexmarView::lineAt(QPoint point) const {
  if (lines_.empty()) return -1;
  const int y = point.y() - contentOffset().y();
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (y < lines_[i].top + lines_[i].height + kLineGap / 2) return static_cast<int>(i);
  return static_cast<int>(lines_.size()) - 1;
}

LinePoint CVexmarView::toLinePoint(int line, QPointF point) const {
  const QPoint origin = equationOrigin(line);
  return {static_cast<Fixed>(std::lround((point.x() - origin.x()) * 65536.0)),
          static_cast<Fixed>(std::lround((point.y() - origin.y()) * 65536.0))};
}

QRect CVexmarView::caretRect() const {
  if (!hasLine()) return {};
  const InsertionPoint& ip = currentLine();
  if (!ip.layoutValid) return {};
  const CaretShape shape = caretShape(typesetter_, ip);
  if (!shape.bar) return {};
  const LinePoint top = lineToDisplay(ip, {shape.barX, shape.barTop});
  const QPoint origin = equationOrigin(document_.currentEquation());
  const double x = origin.x() + toPixels(top.x);
  const double y = origin.y() + toPixels(top.y);
  const double width = std::max(toPixels(shape.barWidth), 1.0);
  return QRectF(x, y, width, toPixels(shape.barBottom - shape.barTop)).toAlignedRect();
}

bool CVexmarView::hasSelection() const { return hasLine() && vexmar::hasSelection(currentLine()); }

bool CVexmarView::canActOnSelection() const { return hasLine() && selectionCanBeActedOn(&currentLine()); }

bool CVexmarView::canUndo() const { return hasLine() && editorState().undo.undoSteps() > 0; }

bool CVexmarView::canRedo() const { return hasLine() && editorState().undo.redoSteps() > 0; }

std::pair<double, double> CVexmarView::selectionExtent() const {
  const InsertionPoint& ip = currentLine();
  const CaretShape shape = caretShape(typesetter_, ip);
  double left = 1e9, right = -1e9;
  const QPoint origin = equationOrigin(document_.currentEquation());
  for (const CaretRectangle& r : shape.highlight) {
    const LinePoint p = lineToDisplay(ip, {r.x, r.y});
    left = std::min(left, origin.x() + toPixels(p.x));
    right = std::max(right, origin.x() + toPixels(p.x + r.width));
  }
  return {left, right};
}

bool CVexmarView::insideSelection(QPointF point) const {
  if (!hasLine()) return false;
  const InsertionPoint& ip = currentLine();
  if (!ip.layoutValid || !vexmar::hasSelection(ip)) return false;
  const QPoint origin = equationOrigin(document_.currentEquation());
  for (const CaretRectangle& r : caretShape(typesetter_, ip).highlight) {
    const LinePoint p = lineToDisplay(ip, {r.x, r.y});
    const QRectF area(origin.x() + toPixels(p.x), origin.y() + toPixels(p.y), toPixels(r.width),
                      toPixels(r.height));
    if (area.contains(point)) return true;
  }
  return false;
}

void CVexmarView::updateCursorShape(QPointF point) {
  Qt::CursorShape shape = Qt::IBeamCursor;
  if (termDragging_)
    shape = Qt::ClosedHandCursor;
  else if (insideSelection(point))
    shape = Qt::OpenHandCursor;
  else
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i)
      if (swatchRect(i).contains(point.toPoint())) shape = Qt::PointingHandCursor;
  if (viewport()->cursor().shape() != shape) viewport()->setCursor(shape);
}

// ---- Painting --------------------------------------------------------------------------------

void CVexmarView::paintLine(QPainter& painter, int line, QPoint offset) {
  const EquationRecord& record = document_.model().equation(line);
  InsertionPoint& ip = *record.insertionPoint;
  const LineBox& box = lines_[static_cast<std::size_t>(line)];
  const int top = box.top + offset.y();

  const std::string message = document_.messageLine(line);
  if (!message.empty()) {
    painter.setFont(QApplication::font());
    painter.setPen(QColor(kMessageColour));
    const QFontMetrics metrics(painter.font());
    painter.drawText(QPoint(kEquationLeft + offset.x(), top - kMessageRise + metrics.ascent()),
                     QString::fromStdString(message));
  }

  const int swatchTop = top + (box.height - kSwatchSize) / 2;
  painter.fillRect(QRect(12 + offset.x(), swatchTop + 2, 22, 22), QColor(kSwatchShadow));
  drawColourSample(painter, QRect(9 + offset.x(), swatchTop - 1, 22, 22), record.colourCode);

  if (!ip.layoutValid) return;
  QtDrawingSurface surface(painter);
  DrawOptions options;
  // The current line shows its selection here; its caret bar blinks over the finished picture.
  const bool current = line == document_.currentEquation();
  if (current) options.caret = !caretShape(typesetter_, ip).bar;
  // Only the prompt being typed into loses its question mark; other lines keep theirs.
  options.promptWithoutMark = current && editorState().promptWithoutMark;
  typesetter_.drawLine(ip, surface, toFixed(kEquationLeft + offset.x()), toFixed(top), options);
}

void CVexmarView::renderBackBuffer() {
  const qreal ratio = devicePixelRatioF();
  const QSize size = viewport()->size() * ratio;
  if (backBuffer_.size() != size || backBuffer_.devicePixelRatio() != ratio) {
    backBuffer_ = QImage(size, QImage::Format_RGB32);
    backBuffer_.setDevicePixelRatio(ratio);
  }
  backBuffer_.fill(palette().color(QPalette::Base));
  QPainter painter(&backBuffer_);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QPoint offset = contentOffset();
  const int visibleTop = -offset.y(), visibleBottom = visibleTop + viewport()->height();
  if (lines_.empty()) {
    painter.setFont(QApplication::font());
    painter.setPen(QColor(kStatusColour));
    painter.drawText(QRect(QPoint(0, 0), viewport()->size()), Qt::AlignCenter,
                     tr("This document has no equations. Choose New Equation to add one."));
  }
  for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
    const LineBox& box = lines_[static_cast<std::size_t>(i)];
    if (box.top + box.height < visibleTop - kLineGap || box.top - kLineGap > visibleBottom) continue;
    paintLine(painter, i, offset);
  }
  if (!statusText_.isEmpty()) {
    painter.setFont(QApplication::font());
    painter.setPen(QColor(kStatusColour));
    painter.drawText(QPoint(kStatusInset, viewport()->height() - kStatusInset), statusText_);
  }
  backBufferValid_ = true;
}

void CVexmarView::paintEvent(QPaintEvent*) {
  if (!backBufferValid_ || backBuffer_.devicePixelRatio() != devicePixelRatioF()) renderBackBuffer();
  QPainter painter(viewport());
  painter.drawImage(QPoint(0, 0), backBuffer_);
  if (hasFocus() && caretVisible_) painter.fillRect(caretRect(), Qt::black);
}

void CVexmarView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  invalidate();
}

void CVexmarView::scrollContentsBy(int, int) {
  backBufferValid_ = false;
  viewport()->update();
}

void CVexmarView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != blinkTimer_.timerId()) {
    QAbstractScrollArea::timerEvent(event);
    return;
  }
  caretVisible_ = !caretVisible_;
  viewport()->update(caretRect().adjusted(-1, -1, 1, 1));
}

void CVexmarView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  if (hasLine()) modelState().activeInsertionPoint = &currentLine();
  caretVisible_ = true;
  const int flash = QApplication::cursorFlashTime();
  if (flash > 0) blinkTimer_.start(flash / 2, this);
  viewport()->update();
}

void CVexmarView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  blinkTimer_.stop();
  viewport()->update();
}

// ---- Editing ---------------------------------------------------------------------------------

void CVexmarView::afterEdit(bool structural) {
  if (structural) document_.noteEquationsEdited();
  backBufferValid_ = false;
  layoutLines();
  caretVisible_ = true;
  if (blinkTimer_.isActive()) blinkTimer_.start(std::max(QApplication::cursorFlashTime() / 2, 1), this);
  scrollToCaret();
  viewport()->update();
  emit commandPerformed();
}

void CVexmarView::scrollToCaret() {
  const int line = document_.currentEquation();
  if (line < 0 || line >= static_cast<int>(lines_.size())) return;
  QRect target = caretRect();
  if (target.isEmpty()) {
    const LineBox& box = lines_[static_cast<std::size_t>(line)];
    target = QRect(equationOrigin(line).x(), equationOrigin(line).y(), 1, box.height);
  }
  target.adjust(-kEquationLeft, -kLineGap, kRightMargin, kLineGap / 2);
  QScrollBar* v = verticalScrollBar();
  if (target.top() < 0)
    v->setValue(v->value() + target.top());
  else if (target.bottom() > viewport()->height())
    v->setValue(v->value() + target.bottom() - viewport()->height());
  QScrollBar* h = horizontalScrollBar();
  if (target.left() < 0)
    h->setValue(h->value() + target.left());
  else if (target.right() > viewport()->width())
    h->setValue(h->value() + target.right() - viewport()->width());
}

void CVexmarView::moveToLine(int line) {
  if (document_.equationCount() == 0) return;
  document_.setCurrentEquation(std::clamp(line, 0, document_.equationCount() - 1));
  afterEdit(false);
}

void CVexmarView::routeKey(const KeyStroke& stroke) {
  if (!hasLine()) return;
  // Undo and Redo may go to another line than the current one.
  if (const std::optional<Accelerator> a = findAccelerator(stroke);
      a && (a->action == AcceleratorAction::Undo || a->action == AcceleratorAction::Redo))
    return stepHistory(a->action == AcceleratorAction::Redo);
  InsertionPoint& ip = currentLine();
  // Backspace on an empty line joins it to the line above, as in a text editor: the line goes.
  const auto* character = std::get_if<CharacterKey>(&stroke.key);
  if (character && character->character == KeyCharacter::Backspace && stroke.modifiers == 0 &&
      document_.currentEquation() > 0 && (!ip.root || ip.root->kind == ObjectKind::prompt))
    return deleteEquation();
  modelState().activeInsertionPoint = &ip;
  editorState().habits = typingHabits_;
  typesetter_.ensureLayout(ip);
  RoutedKey routed = RoutedKey::Ignored;
  guarded([&] { routed = routeKeyStroke(stroke); });
  switch (routed) {
  case RoutedKey::LineMove: {
    const ViewKey key = std::get<NamedKey>(stroke.key).key;
    const int current = document_.currentEquation();
    const int target = key == ViewKey::Up     ? current - 1
                       : key == ViewKey::Down ? current + 1
                       : key == ViewKey::Home ? 0
                                              : document_.equationCount() - 1;
    moveToLine(target);
    break;
  }
  case RoutedKey::NewEquation:
    newEquation();
    break;
  case RoutedKey::DrawGraph:
    document_.requestDrawGraph();
    break;
  case RoutedKey::ResetGraph:
    document_.requestResetGraph();
    break;
  default:
    break;
  }
  const std::string_view hint = statusHintFor(currentLine());
  statusText_ = QString::fromUtf8(hint.data(), static_cast<qsizetype>(hint.size()));
  afterEdit(!currentLine().layoutValid);
}

bool CVexmarView::event(QEvent* event) {
  // Keys the editor uses reach the view even where a menu shortcut shares them, so typing in the
  // view and the headless key routing build the same trees; menus act on the rest.
  if (event->type() == QEvent::ShortcutOverride && hasLine()) {
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const std::optional<KeyStroke> stroke = keyStrokeFromEvent(*keyEvent);
    if (stroke && isEditorKey(*stroke, currentLine())) {
      event->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void CVexmarView::keyPressEvent(QKeyEvent* event) {
  const std::optional<KeyStroke> stroke = keyStrokeFromEvent(*event);
  if (!stroke) {
    // Several characters in one event (an input method's text, a paste typed in) go one by one.
    const QList<uint> text = event->text().toUcs4();
    if (text.size() > 1 && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      for (uint c : text)
        if (c >= 0x20 && c != 0x7F) routeKey(KeyStroke{CharacterKey{static_cast<int>(c)}, 0});
      return;
    }
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  // The clipboard accelerators also reach the system clipboard.
  if (const std::optional<Accelerator> a = findAccelerator(*stroke);
      a && a->action == AcceleratorAction::EditorCommand) {
    if (a->code == Command::Cut) return cut();
    if (a->code == Command::Copy) return copy();
    if (a->code == Command::Paste) return paste();
  }
  routeKey(*stroke);
}

void CVexmarView::performCommand(EditorCommand code) {
  routeKey(KeyStroke{CommandKey{code}, 0});
  statusText_.clear();
  document_.setModified(true);
}

void CVexmarView::undo() { stepHistory(false); }

void CVexmarView::redo() { stepHistory(true); }

void CVexmarView::stepHistory(bool forward) {
  if (!hasLine()) return;
  UndoHistory& history = editorState().undo;
  bool changed = false;
  for (;;) {
    const std::uint64_t serial = forward ? history.redoLine() : history.undoLine();
    if (serial == 0) break;
    // A step that removed a whole equation puts it back in its place or removes it again.
    if (forward ? history.redoRemovesLine() : history.undoRestoresLine()) {
      bool removed = false;
      guarded([&] { removed = document_.stepRemoval(forward) && forward; });
      if (removed) return afterRemoval();
      break;
    }
    int line = -1;
    for (int i = 0; i < document_.equationCount() && line < 0; ++i)
      if (document_.model().equation(i).insertionPoint->serial == serial) line = i;
    if (line < 0) {
      history.forgetLine(serial); // the equation is gone
      continue;
    }
    document_.setCurrentEquation(line);
    guarded([&] { changed = forward ? vexmar::redo() : vexmar::undo(); });
    break;
  }
  statusText_.clear();
  afterEdit(changed);
}

// Runs Cut or Copy and hands what it took to the system clipboard. A command that took nothing
// (no selection) leaves both clipboards as they were.
void CVexmarView::clipboardCommand(EditorCommand code) {
  if (!hasLine()) return;
  InsertionPoint& ip = currentLine();
  modelState().activeInsertionPoint = &ip;
  guarded([&] {
    EditClipboard& held = editorState().clipboard;
    EditClipboard previous = std::move(held);
    held.clear();
    dispatch(code);
    if (held.empty()) {
      held = std::move(previous);
      return;
    }
    // A copied operator has no text form other programs could use.
    if (held.tree)
      QtClipboard::putEquation(*held.tree, typesetter_);
    else
      QtClipboard::clear();
  });
  afterEdit(!ip.layoutValid);
}

void CVexmarView::copy() { clipboardCommand(Command::Copy); }

void CVexmarView::cut() { clipboardCommand(Command::Cut); }

bool CVexmarView::canPaste() const {
  return clipboardHoldsEquation_ || editorState().clipboard.operatorKind.has_value();
}

void CVexmarView::paste() {
  if (!hasLine()) return;
  InsertionPoint& ip = currentLine();
  modelState().activeInsertionPoint = &ip;
  guarded([&] {
    // What another program (or another Vexmar) placed on the clipboard wins over an operator
    // this program copied before it.
    if (QtClipboard::holdsEquation()) {
      ObjectPtr tree = QtClipboard::readEquation();
      if (!tree) return;
      editorState().clipboard.hold(std::move(tree));
    } else if (!editorState().clipboard.operatorKind) {
      return;
    }
    editorState().commandMessage = true;
    dispatch(Command::Paste);
    editorState().commandMessage = false;
  });
  afterEdit(!ip.layoutValid);
}

void CVexmarView::clear() {
  if (!hasLine()) return;
  modelState().activeInsertionPoint = &currentLine();
  guarded([] { dispatch(Command::Clear); });
  afterEdit(!currentLine().layoutValid);
}

void CVexmarView::selectAll() {
  if (!hasLine()) return;
  InsertionPoint& ip = currentLine();
  if (ip.root) selectWholeEquation(ip);
  afterEdit(false);
}

void CVexmarView::newEquation() {
  guarded([&] { document_.addEquationAfterCurrent(); });
  statusText_.clear();
  afterEdit(false);
  setFocus();
}

void CVexmarView::deleteEquation() {
  if (!hasLine()) return;
  guarded([&] { document_.removeEquation(document_.currentEquation()); });
  afterRemoval();
}

void CVexmarView::afterRemoval() {
  statusText_.clear();
  // The End key's caret: after the whole equation.
  routeKey(KeyStroke{NamedKey{ViewKey::End}, 0});
  setFocus();
}

// ---- Mouse -----------------------------------------------------------------------------------

void CVexmarView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  const QPointF point = event->position();
  statusText_.clear();
  for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
    if (swatchRect(i).contains(point.toPoint())) {
      openColourMenu(i);
      return;
    }
  }
  if (insideSelection(point)) {
    termDragging_ = true;
    termDragX_ = point.x();
    updateCursorShape(point);
    return;
  }
  const int line = lineAt(point.toPoint());
  if (line < 0) return;
  const bool extend =
      (event->modifiers() & Qt::ShiftModifier) && line == document_.currentEquation() && anchorLine_ == line;
  document_.setCurrentEquation(line);
  InsertionPoint& ip = currentLine();
  const LinePoint at = toLinePoint(line, point);
  guarded([&] {
    if (extend) {
      dragTo(typesetter_, ip, anchor_, at);
    } else {
      clickAt(typesetter_, ip, at);
      anchor_ = at;
      anchorLine_ = line;
    }
  });
  dragging_ = true;
  afterEdit(false);
  updateCursorShape(point);
}

void CVexmarView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF point = event->position();
  if (!(event->buttons() & Qt::LeftButton)) {
    updateCursorShape(point);
    return;
  }
  if (termDragging_) {
    const auto [left, right] = selectionExtent();
    EditorCommand move = 0;
    if (point.x() < left && point.x() < termDragX_ - kTermDragStep) move = Command::MoveTermLeftCombining;
    if (point.x() > right && point.x() > termDragX_ + kTermDragStep) move = Command::MoveTermRightCombining;
    if (move) {
      termDragX_ = point.x();
      modelState().activeInsertionPoint = &currentLine();
      guarded([&] { dispatch(move); });
      afterEdit(!currentLine().layoutValid);
    }
    return;
  }
  if (!dragging_ || !hasLine() || anchorLine_ != document_.currentEquation()) return;
  const LinePoint at = toLinePoint(anchorLine_, point);
  guarded([&] { dragTo(typesetter_, currentLine(), anchor_, at); });
  afterEdit(false);
}

void CVexmarView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
  dragging_ = false;
  termDragging_ = false;
  updateCursorShape(event->position());
}

void CVexmarView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseDoubleClickEvent(event);
  const QPointF point = event->position();
  for (int i = 0; i < static_cast<int>(lines_.size()); ++i)
    if (swatchRect(i).contains(point.toPoint())) return;
  const int line = lineAt(point.toPoint());
  if (line < 0) return;
  document_.setCurrentEquation(line);
  InsertionPoint& ip = currentLine();
  const LinePoint at = toLinePoint(line, point);
  // A drag from the point to the point one pixel lower selects the object under the point.
  guarded([&] {
    clickAt(typesetter_, ip, at);
    dragTo(typesetter_, ip, at, LinePoint{at.x, at.y + toFixed(1)});
  });
  anchor_ = at;
  anchorLine_ = line;
  dragging_ = false;
  afterEdit(false);
  updateCursorShape(point);
}

// ---- Colours ---------------------------------------------------------------------------------

void CVexmarView::buildColourMenu() {
  colourMenu_ = new QMenu(tr("&Colour"), this);
  auto* style = new ColourMenuStyle;
  style->setParent(colourMenu_);
  colourMenu_->setStyle(style);
  for (const ColourCode& c : colourCodes()) {
    QAction* action = colourMenu_->addAction(
        QString::fromUtf8(c.menuLabel.data(), static_cast<qsizetype>(c.menuLabel.size())));
    action->setCheckable(true);
    action->setData(c.code);
    connect(action, &QAction::triggered, this, [this, code = c.code] { setCurrentColour(code); });
    if (c.code == 8) colourMenu_->addSeparator();
  }
  connect(colourMenu_, &QMenu::aboutToShow, this, [this] {
    if (!hasLine()) return;
    const double code = document_.currentRecord().colourCode;
    for (QAction* action : colourMenu_->actions())
      if (action->isCheckable()) action->setChecked(action->data().toInt() == code);
  });
}

void CVexmarView::openColourMenu(int line) {
  document_.setCurrentEquation(line);
  afterEdit(false);
  colourMenu_->popup(viewport()->mapToGlobal(swatchRect(line).bottomLeft()));
}

void CVexmarView::setCurrentColour(int code) {
  document_.setColourCode(document_.currentEquation(), code);
  backBufferValid_ = false;
  viewport()->update();
}

std::vector<QString> CVexmarView::messageLineTexts() const {
  std::vector<QString> texts;
  for (int i = 0; i < document_.equationCount(); ++i)
    texts.push_back(QString::fromStdString(document_.messageLine(i)));
  return texts;
}

} // namespace vexmar
