#pragma once

#include <QWidget>

#include <functional>

class QSettings;
class QSplitter;
class QTableWidget;
class QTableWidgetItem;

namespace vexmar {

class CGraphView;
class VexmarDocument;

/// The "Parameters" window: the parameters with their values above, the coordinate ranges
/// below, both edited in place. A refused entry is put back as it was and the reason shown.
class CParamFrame : public QWidget {
  Q_OBJECT
public:
  CParamFrame(VexmarDocument& document, CGraphView& graphView, QWidget* parent = nullptr);

  [[nodiscard]] QTableWidget* parameters() const { return parameters_; }
  [[nodiscard]] QTableWidget* coordinates() const { return coordinates_; }
  void setMessagePresenter(std::function<void(const QString&)> present) { present_ = std::move(present); }

  /// Place, size, pane and column sizes and visibility, kept in the settings; a stored place is
  /// kept on the screen `available`.
  void restoreLayout(const QSettings& settings, const QRect& available);
  void saveLayout(QSettings& settings) const;
  /// Whether the window was open when the program last ended; the frame opens it once shown.
  [[nodiscard]] bool shownAtStart() const { return shownAtStart_; }

signals:
  void visibilityChanged(bool visible);

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

public slots:
  /// Lists the parameters and ranges as they are now.
  void refresh();
  /// The "Enter Parameter" dialog: a new parameter, or a new value for one listed.
  void enterParameter();

private:
  void parameterEdited(QTableWidgetItem* item);
  void coordinateEdited(QTableWidgetItem* item);
  /// Sets a parameter and draws the graphs again; false, with the reason shown, when refused.
  bool setParameter(const std::string& name, const std::string& valueText);

  VexmarDocument& document_;
  CGraphView& graphView_;
  QTableWidget* parameters_ = nullptr;
  QTableWidget* coordinates_ = nullptr;
  QSplitter* split_ = nullptr;
  bool shownAtStart_ = false;
  bool filling_ = false; ///< the tables are being filled, not edited
  std::function<void(const QString&)> present_;
};

} // namespace vexmar
