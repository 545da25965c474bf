// Ahead of every Qt header, whose keyword macros would rewrite the engine's `slots` member.
#include "numeric/numeric_state.h"

#include "app/parameters_window.h"

#include "app/graph_view.h"
#include "app/slider_bar.h"
#include "app/vexmar_document.h"
#include "document/animation_slider.h"
#include "graph/coordinate_range.h"
#include "graph/space/graph_space_3d.h"
#include "model/number_reading.h"
#include "text/number_text.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <string>

namespace vexmar {
namespace {

const QString kNewName = QStringLiteral("<new>");
constexpr QSize kDefaultSize(260, 360);
constexpr int kDefaultCoordinateColumn = 70;
constexpr int kDefaultMinimumColumn = 85;
constexpr int kDefaultNameColumn = 75;
const QString kNoValue = QStringLiteral("<?\?\?>");

QTableWidget* table(const QStringList& headers, QWidget* parent) {
  auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  t->setHorizontalHeaderLabels(headers);
  t->verticalHeader()->hide();
  // Rows a fifth taller than the text, as a list of names and numbers wants.
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() * 6 / 5 + 2);
  t->horizontalHeader()->setStretchLastSection(true);
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  t->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                     QAbstractItemView::AnyKeyPressed);
  return t;
}

QTableWidgetItem* cell(const QString& text, bool editable) {
  auto* item = new QTableWidgetItem(text);
  if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  return item;
}

// A number as the user may type it; NaN when the text is none or not finite.
double finiteNumber(const QString& text) {
  const double value = parseNumber(text.trimmed().toStdString());
  return std::isfinite(value) ? value : std::nan("");
}

} // namespace

CParamFrame::CParamFrame(VexmarDocument& document, CGraphView& graphView, QWidget* parent)
    : QWidget(parent, Qt::Tool), document_(document), graphView_(graphView) {
  setWindowTitle(tr("Parameters"));
  move(80, 100);
  resize(kDefaultSize);
  present_ = [this](const QString& text) { QMessageBox::warning(this, QStringLiteral("Vexmar"), text); };
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  split_ = new QSplitter(Qt::Vertical, this);
  parameters_ = table({tr("Name"), tr("Value")}, split_);
  coordinates_ = table({tr("Coordinate"), tr("Minimum"), tr("Maximum")}, split_);
  parameters_->setColumnWidth(0, kDefaultNameColumn);
  coordinates_->setColumnWidth(0, kDefaultCoordinateColumn);
  coordinates_->setColumnWidth(1, kDefaultMinimumColumn);
  split_->addWidget(parameters_);
  split_->addWidget(coordinates_);
  layout->addWidget(split_);
  auto* add = new QPushButton(tr("Add Parameter..."), this);
  connect(add, &QPushButton::clicked, this, &CParamFrame::enterParameter);
  layout->addWidget(add);

  connect(parameters_, &QTableWidget::itemChanged, this, &CParamFrame::parameterEdited);
  connect(coordinates_, &QTableWidget::itemChanged, this, &CParamFrame::coordinateEdited);
  connect(&graphView_, &CGraphView::graphStateChanged, this, &CParamFrame::refresh);
  connect(&graphView_, &CGraphView::animationStepped, this, &CParamFrame::refresh);
  refresh();
}

void CParamFrame::restoreLayout(const QSettings& settings, const QRect& available) {
  const auto read = [&settings](const char* name, int fallback) {
    bool ok = false;
    const int value = settings.value(QLatin1String(name)).toInt(&ok);
    return ok ? value : fallback;
  };
  const int width =
      std::clamp(read("ParamSizeX", kDefaultSize.width()), 100, std::max(available.width(), 100));
  const int height =
      std::clamp(read("ParamSizeY", kDefaultSize.height()), 100, std::max(available.height(), 100));
  resize(width, height);
  const int x = read("ParamPosX", 80), y = read("ParamPosY", 100);
  if (available.contains(x, y)) move(x, y);
  if (const int coordinates = read("CoordPaneSize", 0); coordinates > 0)
    split_->setSizes({std::max(height - coordinates, 1), coordinates});
  const int nameColumn = read("ParamSplit", 0);
  parameters_->setColumnWidth(0, nameColumn > 0 ? nameColumn : kDefaultNameColumn);
  if (const int first = read("CoordSplit1", 0); first > 0) coordinates_->setColumnWidth(0, first);
  if (const int second = read("CoordSplit2", 0); second > 0) coordinates_->setColumnWidth(1, second);
  shownAtStart_ = read("ParamVisible", 0) != 0;
}

void CParamFrame::saveLayout(QSettings& settings) const {
  settings.setValue(QStringLiteral("ParamVisible"), isVisible() ? 1 : 0);
  settings.setValue(QStringLiteral("ParamSizeX"), width());
  settings.setValue(QStringLiteral("ParamSizeY"), height());
  settings.setValue(QStringLiteral("ParamPosX"), pos().x());
  settings.setValue(QStringLiteral("ParamPosY"), pos().y());
  settings.setValue(QStringLiteral("CoordPaneSize"), split_->sizes().value(1));
  settings.setValue(QStringLiteral("ParamSplit"), parameters_->columnWidth(0));
  settings.setValue(QStringLiteral("CoordSplit1"), coordinates_->columnWidth(0));
  settings.setValue(QStringLiteral("CoordSplit2"), coordinates_->columnWidth(1));
}

void CParamFrame::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  refresh();
  emit visibilityChanged(true);
}

void CParamFrame::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  emit visibilityChanged(false);
}

void CParamFrame::refresh() {
  filling_ = true;
  const std::vector<Parameter>& all = numericState().parameters.all();
  parameters_->setRowCount(static_cast<int>(all.size()) + 1);
  const auto animated = static_cast<std::uint16_t>(numericState().animatedVariable);
  for (int row = 0; row < static_cast<int>(all.size()); ++row) {
    const Parameter& p = all[static_cast<std::size_t>(row)];
    // The animated letter shows the slider's value, which the slider sets.
    const bool isAnimated = p.name.size() == 1 && static_cast<unsigned char>(p.name[0]) == animated;
    const QString value = isAnimated ? QString::fromStdString(formatNumber(document_.animation().value()))
                                     : QString::fromStdString(p.valueText);
    QTableWidgetItem* name = cell(QString::fromStdString(p.name), true);
    QTableWidgetItem* valueItem = cell(value, true);
    // Letters no equation uses now are greyed.
    if (!p.inUse) {
      name->setForeground(Qt::gray);
      valueItem->setForeground(Qt::gray);
    }
    parameters_->setItem(row, 0, name);
    parameters_->setItem(row, 1, valueItem);
  }
  parameters_->setItem(static_cast<int>(all.size()), 0, cell(kNewName, true));
  parameters_->setItem(static_cast<int>(all.size()), 1, cell(kNoValue, false));

  const CGraphContainer& container = graphView_.container();
  coordinates_->setRowCount(static_cast<int>(kCoordinateTable.size()));
  for (int row = 0; row < static_cast<int>(kCoordinateTable.size()); ++row) {
    const CoordinateRow& c = kCoordinateTable[static_cast<std::size_t>(row)];
    const std::optional<CoordinateRange> range =
        container.is3DActive() ? std::nullopt : container.plane().range(static_cast<int>(c.coordinate));
    coordinates_->setItem(row, 0, cell(QString::fromUtf8(c.name), false));
    for (int column = 1; column <= 2; ++column) {
      const QString text =
          range ? QString::fromStdString(formatNumber(column == 1 ? range->min : range->max)) : QString();
      coordinates_->setItem(row, column, cell(text, range.has_value()));
    }
  }
  filling_ = false;
}

bool CParamFrame::setParameter(const std::string& name, const std::string& valueText) {
  const double value = finiteNumber(QString::fromStdString(valueText));
  if (std::isnan(value)) {
    present_(tr("The value must be a number."));
    return false;
  }
  numericState().parameters.set(name, formatNumber(value));
  // Parameters are saved with the document.
  document_.setModified(true);
  const auto animated = static_cast<std::uint16_t>(numericState().animatedVariable);
  if (name.size() == 1 && static_cast<unsigned char>(name[0]) == animated) {
    // The slider holds the animated letter's value.
    document_.animation().setValue(value);
    graphView_.animationMoved();
    emit graphView_.animationStepped();
  } else if (name.size() == 1) {
    graphView_.setParameter(static_cast<unsigned char>(name[0]), value);
  } else if (graphView_.graphingOn()) {
    // Names such as a_1 are put into the equations when the graphs are built.
    graphView_.rebuildGraphs();
  }
  return true;
}

void CParamFrame::parameterEdited(QTableWidgetItem* item) {
  if (filling_) return;
  const int row = item->row();
  const std::vector<Parameter>& all = numericState().parameters.all();
  const bool isNewRow = row >= static_cast<int>(all.size());
  const std::string text = item->text().trimmed().toStdString();
  if (item->column() == 0) {
    const std::string oldName = isNewRow ? std::string() : all[static_cast<std::size_t>(row)].name;
    if (text == oldName || (isNewRow && item->text() == kNewName)) {
      // unchanged
    } else if (const std::optional<std::string> problem = parameterNameProblem(text)) {
      present_(QString::fromStdString(*problem));
    } else if (numericState().parameters.find(text)) {
      present_(tr("There is already a parameter '%1'.").arg(QString::fromStdString(text)));
    } else if (isNewRow) {
      setParameter(text, "1");
    } else {
      numericState().parameters.rename(oldName, text);
      document_.setModified(true);
      if (graphView_.graphingOn()) graphView_.rebuildGraphs();
    }
  } else if (!isNewRow) {
    // A copy: setting the value may rebuild the list the row was read from.
    const std::string name = all[static_cast<std::size_t>(row)].name;
    setParameter(name, text);
  }
  // Accepted or not, the table shows what the parameters are now.
  QMetaObject::invokeMethod(this, &CParamFrame::refresh, Qt::QueuedConnection);
}

void CParamFrame::coordinateEdited(QTableWidgetItem* item) {
  if (filling_ || item->column() == 0) return;
  const int index = static_cast<int>(kCoordinateTable[static_cast<std::size_t>(item->row())].coordinate);
  const double value = finiteNumber(item->text());
  CGraphContainer& container = graphView_.container();
  const std::optional<CoordinateRange> range =
      container.is3DActive() ? container.space3D().range(index) : container.plane().range(index);
  const bool isMax = item->column() == 2;
  if (std::isnan(value)) {
    present_(tr("The value must be a number."));
  } else if (range && (isMax ? value <= range->min : value >= range->max)) {
    present_(tr("The minimum must be less than the maximum."));
  } else if (container.setRange(index, isMax, value)) {
    document_.setModified(true); // the ranges are saved with the document
    if (graphView_.graphingOn()) graphView_.rebuildGraphs();
  }
  QMetaObject::invokeMethod(this, &CParamFrame::refresh, Qt::QueuedConnection);
}

void CParamFrame::enterParameter() {
  EnterParameterDialog dialog(QString::fromStdString(suggestedParameterName(numericState().parameters)),
                              this);
  if (dialog.exec() != QDialog::Accepted) return;
  setParameter(dialog.name->text().toStdString(), std::to_string(dialog.value->value()));
  refresh();
}

} // namespace vexmar
