#pragma once

#include "document/animation_slider.h"

#include <QDialog>
#include <QToolBar>

#include <functional>

class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class QToolButton;

namespace vexmar {

class CGraphView;
class VexmarDocument;

/// The bar under the graph: the animated letter and its value slider, the value, the animate
/// button, the "Slider Values" dialog and the zoom buttons.
class CSliderBar : public QToolBar {
  Q_OBJECT
public:
  CSliderBar(VexmarDocument& document, CGraphView& graphView, QWidget* parent = nullptr);

  [[nodiscard]] QSlider* valueSlider() const { return slider_; }
  [[nodiscard]] QToolButton* animateButton() const { return animate_; }
  [[nodiscard]] QString valueText() const;

public slots:
  /// The "Slider Values" dialog; new values reach the slider and the graphs.
  void editSliderValues();
  /// Shows the slider's settings and position as the document holds them.
  void showSlider();

private:
  void applySettings(const SliderSettings& settings);

  VexmarDocument& document_;
  CGraphView& graphView_;
  QLabel* letter_ = nullptr;
  QSlider* slider_ = nullptr;
  QLabel* value_ = nullptr;
  QToolButton* animate_ = nullptr;
};

/// The "Slider Values" dialog: lowest and highest value, number of steps and the letter.
class SliderValuesDialog : public QDialog {
  Q_OBJECT
public:
  SliderValuesDialog(const SliderSettings& settings, QWidget* parent = nullptr);
  /// The checked settings after OK.
  [[nodiscard]] const SliderSettings& settings() const { return settings_; }
  /// Where refusals go (a message box unless replaced, as tests do).
  void setMessagePresenter(std::function<void(const QString&)> present) { present_ = std::move(present); }

  QSpinBox* lowest = nullptr;
  QSpinBox* highest = nullptr;
  QSpinBox* steps = nullptr;
  QLineEdit* variable = nullptr;

public slots:
  void accept() override;

private:
  SliderSettings settings_;
  std::function<void(const QString&)> present_;
};

/// The "Enter Parameter" dialog: a letter and a value, refused with the reason when the letter
/// cannot be a parameter.
class EnterParameterDialog : public QDialog {
  Q_OBJECT
public:
  EnterParameterDialog(const QString& suggestedName, QWidget* parent = nullptr);
  void setMessagePresenter(std::function<void(const QString&)> present) { present_ = std::move(present); }

  QLineEdit* name = nullptr;
  QSpinBox* value = nullptr;

public slots:
  void accept() override;

private:
  std::function<void(const QString&)> present_;
};

} // namespace vexmar
