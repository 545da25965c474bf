#pragma once

#include "cli/key_stroke.h"
#include "editor/typing_habits.h"
#include "model/insertion_point.h"
#include "typeset/caret_geometry.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QImage>
#include <QString>

#include <optional>
#include <string_view>
#include <vector>

class QKeyEvent;
class QMenu;

namespace vexmar {

class Typesetter;
class VexmarDocument;

/// The hint shown after a key while the caret sits where a newcomer often gets stuck (at the end
/// of an exponent or a denominator, or after typing f(x) for y); empty when none applies.
[[nodiscard]] std::string_view statusHintFor(const InsertionPoint& ip);

/// The key press a Qt key event stands for, as the editor's key routing takes it; nothing for
/// keys the editor has no use for (modifier keys alone, function keys).
[[nodiscard]] std::optional<KeyStroke> keyStrokeFromEvent(const QKeyEvent& event);

/// The equation pane: the document's equations one under another, each with its colour swatch and
/// (while graphing is on) a red line saying why it has no graph. Keys and mouse edit the current
/// equation through the editor core; menu commands arrive through performCommand.
class CVexmarView : public QAbstractScrollArea {
  Q_OBJECT
public:
  CVexmarView(VexmarDocument& document, Typesetter& typesetter, QWidget* parent = nullptr);
  ~CVexmarView() override;

  /// Dispatches a menu, toolbar or keypad command to the current equation as a command message
  /// (wrapping then selects the new object).
  void performCommand(EditorCommand code);
  /// Handles a key press as if typed into the view (scripted input).
  void typeKeyStroke(const KeyStroke& stroke) { routeKey(stroke); }

  // The Edit menu.
  /// Undoes the newest edit step of the history, on whichever line it was made.
  void undo();
  /// Redoes the step the newest Undo undid.
  void redo();
  [[nodiscard]] bool canRedo() const;
  void cut();
  void copy();
  void paste();
  void clear();
  void selectAll();
  void newEquation();
  /// Removes the current equation (and its graph); the caret goes to the end of the line above.
  void deleteEquation();
  [[nodiscard]] bool hasSelection() const;
  /// True when the algebra commands have something to act on.
  [[nodiscard]] bool canActOnSelection() const;
  [[nodiscard]] bool canUndo() const;
  [[nodiscard]] bool canPaste() const;

  /// Sets the current equation's colour or pattern (a colour code).
  void setCurrentColour(int code);
  /// The owner-drawn colour menu; shared by the menu bar and the swatches.
  [[nodiscard]] QMenu* colourMenu() const { return colourMenu_; }

  /// The line sizes and separator that come from the preferences; every line is laid out again.
  void setSizeTable(const SizeTable& sizes);
  /// The typing habits from the preferences; the editor follows them for every key routed here.
  void setTypingHabits(const TypingHabits& habits) { typingHabits_ = habits; }

  /// The red message line of each equation as the next paint draws it (empty for none).
  [[nodiscard]] std::vector<QString> messageLineTexts() const;
  /// The grey hint drawn at the bottom of the pane.
  [[nodiscard]] QString statusText() const { return statusText_; }
  /// Where equation `line` is drawn: its top-left corner in viewport coordinates.
  [[nodiscard]] QPoint equationOrigin(int line) const;
  /// The swatch of equation `line` in viewport coordinates.
  [[nodiscard]] QRect swatchRect(int line) const;
  /// The caret bar in viewport coordinates; empty when the caret is a selection.
  [[nodiscard]] QRect caretRect() const;

signals:
  /// An editor command ran: menus update what they enable.
  void commandPerformed();
  /// An editor command was refused, and why (for the status bar).
  void commandRefused(const QString& message);

protected:
  bool event(QEvent* event) override;
  /// Tab and Shift+Tab move between slots of the equation, never the focus out of the view.
  bool focusNextPrevChild(bool) override { return false; }
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

private:
  struct LineBox {
    int top = 0;    ///< content coordinates
    int height = 0; ///< of the equation, at least the swatch's
  };

  /// False only for a document without equations.
  [[nodiscard]] bool hasLine() const;
  [[nodiscard]] InsertionPoint& currentLine() const;
  /// Lays out every line that changed and places the lines one under another.
  void layoutLines();
  void updateScrollBars();
  void invalidate();
  /// After anything changed the current line: re-layout, follow the caret, repaint.
  void afterEdit(bool structural);
  void scrollToCaret();
  /// Runs editor work, turning an allocation failure into the pending error the idle loop shows.
  template <typename Work> void guarded(Work&& work);
  void routeKey(const KeyStroke& stroke);
  void clipboardCommand(EditorCommand code);
  /// Undo or Redo: makes the line of the history's next step current, then steps.
  void stepHistory(bool forward);
  /// After the current equation was removed: the caret goes to the end of the line above.
  void afterRemoval();
  void moveToLine(int line);

  [[nodiscard]] QPoint contentOffset() const;
  /// The equation line at a viewport point (the nearest one); -1 with no lines.
  [[nodiscard]] int lineAt(QPoint point) const;
  /// A viewport point in the drawn coordinates of equation `line` (16.16).
  [[nodiscard]] LinePoint toLinePoint(int line, QPointF point) const;
  [[nodiscard]] bool insideSelection(QPointF point) const;
  /// The selection's horizontal extent in viewport coordinates.
  [[nodiscard]] std::pair<double, double> selectionExtent() const;
  void updateCursorShape(QPointF point);

  void renderBackBuffer();
  void paintLine(QPainter& painter, int line, QPoint offset);

  void buildColourMenu();
  void openColourMenu(int line);

  VexmarDocument& document_;
  Typesetter& typesetter_;
  std::vector<LineBox> lines_;
  int contentWidth_ = 0;
  int contentHeight_ = 0;
  SizeTable sizeTable_;
  TypingHabits typingHabits_;

  QImage backBuffer_;
  bool backBufferValid_ = false;
  QBasicTimer blinkTimer_;
  bool caretVisible_ = true;

  QString statusText_;
  QMenu* colourMenu_ = nullptr;

  // Mouse state.
  bool dragging_ = false;
  bool termDragging_ = false;
  int anchorLine_ = -1;
  LinePoint anchor_;
  double termDragX_ = 0;
  bool clipboardHoldsEquation_ = false;
};

} // namespace vexmar
