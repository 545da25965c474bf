#include "app/slider_bar.h"

#include "app/graph_view.h"
#include "app/vexmar_document.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace vexmar {
namespace {

QString letterText(std::uint16_t letter) { return QString(QChar(letter)); }

QSpinBox* integerField(int low, int high, int value, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setRange(low, high);
  box->setValue(value);
  return box;
}

// One letter, A-Z or a-z: the only keys the letter fields take.
QLineEdit* letterField(const QString& text, QWidget* parent) {
  auto* field = new QLineEdit(text, parent);
  field->setMaxLength(1);
  field->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z]?")), field));
  return field;
}

QDialogButtonBox* okCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

std::function<void(const QString&)> messageBoxFor(QWidget* parent) {
  return [parent](const QString& text) { QMessageBox::warning(parent, QStringLiteral("Vexmar"), text); };
}

} // namespace

CSliderBar::CSliderBar(VexmarDocument& document, CGraphView& graphView, QWidget* parent)
    : QToolBar(tr("Slider Bar"), parent), document_(document), graphView_(graphView) {
  setObjectName(QStringLiteral("SliderBar"));
  letter_ = new QLabel(this);
  letter_->setToolTip(tr("The animated letter (Slider Values... changes it)"));
  addWidget(letter_);
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setMinimumWidth(160);
  slider_->setPageStep(1);
  slider_->setToolTip(tr("Set animation value"));
  addWidget(slider_);
  value_ = new QLabel(this);
  value_->setMinimumWidth(40);
  addWidget(value_);
  animate_ = new QToolButton(this);
  animate_->setText(tr("Animate"));
  animate_->setCheckable(true);
  animate_->setToolTip(tr("Animate graph"));
  addWidget(animate_);
  QAction* values = addAction(tr("Slider Values..."), this, &CSliderBar::editSliderValues);
  values->setToolTip(tr("Set animation parameters"));
  addSeparator();
  addAction(tr("Zoom In"), &graphView_, &CGraphView::zoomIn)->setToolTip(tr("Zoom in"));
  addAction(tr("Zoom Out"), &graphView_, &CGraphView::zoomOut)->setToolTip(tr("Zoom out"));

  connect(slider_, &QSlider::valueChanged, this, [this](int position) {
    AnimationSlider& animation = document_.animation();
    if (position == animation.position()) return;
    animation.setPosition(position);
    value_->setText(valueText());
    // The slider's letter keeps the value it is moved to, and parameters are saved.
    document_.setModified(true);
    graphView_.animationMoved();
  });
  connect(animate_, &QToolButton::toggled, this, [this](bool on) {
    animate_->setToolTip(on ? tr("Stop Animation") : tr("Animate graph"));
    if (on != document_.animation().animating()) graphView_.setAnimating(on);
  });
  connect(&graphView_, &CGraphView::animationStepped, this, &CSliderBar::showSlider);
  showSlider();
}

QString CSliderBar::valueText() const { return QString::number(document_.animation().value(), 'g', 2); }

void CSliderBar::showSlider() {
  const AnimationSlider& animation = document_.animation();
  const QSignalBlocker quiet(slider_);
  slider_->setRange(animation.firstPosition(), animation.lastPosition());
  slider_->setValue(animation.position());
  letter_->setText(letterText(animation.settings().variable) + QStringLiteral(" ="));
  value_->setText(valueText());
  const QSignalBlocker quietButton(animate_);
  animate_->setChecked(animation.animating());
  animate_->setToolTip(animation.animating() ? tr("Stop Animation") : tr("Animate graph"));
}

void CSliderBar::editSliderValues() {
  SliderValuesDialog dialog(document_.animation().settings(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  applySettings(dialog.settings());
}

void CSliderBar::applySettings(const SliderSettings& settings) {
  AnimationSlider& animation = document_.animation();
  const bool newLetter = settings.variable != animation.settings().variable;
  animation.setSettings(settings);
  // The slider's settings are saved with the document.
  document_.setModified(true);
  showSlider();
  if (newLetter)
    graphView_.setAnimatedVariable(settings.variable);
  else
    graphView_.animationMoved();
}

SliderValuesDialog::SliderValuesDialog(const SliderSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), present_(messageBoxFor(this)) {
  setWindowTitle(tr("Slider Values"));
  auto* form = new QFormLayout;
  constexpr int kLimit = SliderSettings::kValueLimit;
  lowest = integerField(-kLimit, kLimit, settings.lowest, this);
  highest = integerField(-kLimit, kLimit, settings.highest, this);
  steps = integerField(1, SliderSettings::kMaxSteps, settings.steps, this);
  variable = letterField(letterText(settings.variable), this);
  form->addRow(tr("Lowest Value"), lowest);
  form->addRow(tr("Highest Value"), highest);
  form->addRow(tr("Number of Steps"), steps);
  form->addRow(tr("Variable name"), variable);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(okCancel(this));
}

void SliderValuesDialog::accept() {
  const std::optional<std::string> problem = acceptSliderValues(
      lowest->value(), highest->value(), steps->value(), variable->text().toStdString(), settings_);
  if (problem) {
    present_(QString::fromStdString(*problem));
    return;
  }
  QDialog::accept();
}

EnterParameterDialog::EnterParameterDialog(const QString& suggestedName, QWidget* parent)
    : QDialog(parent), present_(messageBoxFor(this)) {
  setWindowTitle(tr("Enter Parameter"));
  auto* layout = new QVBoxLayout(this);
  auto* note =
      new QLabel(tr("Enter a parameter (single letter), and a value (number).  \n\nPlease note that the "
                    "letter 'e', the base of natural logarithms, is not a valid parameter"),
                 this);
  note->setWordWrap(true);
  layout->addWidget(note);
  auto* form = new QFormLayout;
  name = letterField(suggestedName, this);
  value = integerField(-SliderSettings::kValueLimit, SliderSettings::kValueLimit, 1, this);
  form->addRow(tr("Parameter"), name);
  form->addRow(tr("Value"), value);
  layout->addLayout(form);
  layout->addWidget(okCancel(this));
}

void EnterParameterDialog::accept() {
  if (const std::optional<std::string> problem = parameterNameProblem(name->text().toStdString())) {
    present_(QString::fromStdString(*problem));
    return;
  }
  QDialog::accept();
}

} // namespace vexmar
