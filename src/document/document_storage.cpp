#include "document/document_storage.h"

#include "document/animation_slider.h"
#include "document/document_model.h"
#include "graph/graph_container.h"
#include "numeric/numeric_state.h"
#include "text/object_text.h"
#include "text/text_state.h"

#include <charconv>
#include <memory>

namespace vexmar {
namespace {

// The shortest text that reads back as the same double: a value shown with fewer digits would
// come back changed from every save and reopen.
std::string exactNumberText(double value) {
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

} // namespace

GrfDocument captureDocument(const DocumentParts& parts) {
  GrfDocument document;
  const DocumentModel& model = parts.model;
  for (int i = 0; i < model.equationCount(); ++i) {
    const EquationRecord& record = model.equation(i);
    GrfEquation e;
    if (record.insertionPoint->root) e.text = writeObjectText(*record.insertionPoint->root);
    e.plotStyle = record.plotStyle;
    e.curveMode = record.curveMode;
    e.resolutionA = record.resolutionA;
    e.colourCode = record.colourCode;
    e.resolutionB = record.resolutionB;
    document.equations.push_back(std::move(e));
  }
  for (const Parameter& p : parts.parameters.all())
    document.parameters.push_back({p.name, p.inUse, parts.parameters.valueForName(p.name)});
  if (parts.graphs) {
    document.graphSettings = parts.graphs->saveSettings();
    if (document.graphSettings.size() != kGrfGraphSettingsBytes) document.graphSettings.clear();
  }
  document.textures = parts.textures;
  const SliderSettings& slider = parts.animation.settings();
  document.animation = GrfAnimation{slider.highest, slider.lowest, slider.steps, parts.animation.value(),
                                    static_cast<std::int32_t>(slider.variable)};
  return document;
}

std::optional<std::string> applyDocument(const GrfDocument& document, DocumentParts& parts) {
  // Everything that can fail comes first, into records nobody sees yet.
  std::vector<std::unique_ptr<EquationRecord>> records;
  records.reserve(document.equations.size());
  for (std::size_t i = 0; i < document.equations.size(); ++i) {
    const GrfEquation& e = document.equations[i];
    ObjectPtr tree = readObjectText(e.text);
    if (!tree) return "equation " + std::to_string(i + 1) + " does not read";
    auto record = std::make_unique<EquationRecord>();
    record->insertionPoint->setRoot(std::move(tree));
    record->plotStyle = e.plotStyle;
    record->curveMode = 2.0;
    record->resolutionA = e.resolutionA;
    record->colourCode = e.colourCode;
    record->resolutionB = e.resolutionB;
    records.push_back(std::move(record));
  }

  parts.model.replaceContents(std::move(records));
  for (const GrfParameter& p : document.parameters) {
    parts.parameters.set(p.name, exactNumberText(p.value));
    if (Parameter* stored = parts.parameters.find(p.name)) stored->inUse = p.on;
  }
  if (parts.graphs && !document.graphSettings.empty())
    (void)parts.graphs->loadSettings(document.graphSettings);
  parts.textures = document.textures;
  if (document.animation) {
    const GrfAnimation& a = *document.animation;
    SliderSettings settings;
    settings.lowest = a.lowest;
    settings.highest = a.highest;
    settings.steps = a.steps;
    settings.variable = static_cast<std::uint16_t>(static_cast<std::uint32_t>(a.letter) & 0xFFu);
    parts.animation.setAnimating(false);
    parts.animation.setSettings(settings);
    // The slider's own positions, not a coarser grid, so that a saved value comes back as it was.
    parts.animation.setValue(clampedAnimationValue(a));
    numericState().animatedVariable = settings.variable;
    numericState().animationValue = parts.animation.value();
  }
  // Older files carry display preferences; a digit count outside 0-14 is not applied.
  if (document.preferences && document.preferences->sigFigs >= 0 && document.preferences->sigFigs <= 14)
    textState().sigFigs = document.preferences->sigFigs;
  parts.model.loaded = true;
  return std::nullopt;
}

} // namespace vexmar
