#pragma once

#include "document/grf_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexmar {

class AnimationSlider;
class CGraphContainer;
class DocumentModel;
class ParameterList;

/// The live state a document file is made from and read into.
struct DocumentParts {
  DocumentModel& model;
  ParameterList& parameters;
  AnimationSlider& animation;
  /// The texture chunk's contents, kept byte for byte (see GrfDocument::textures).
  std::vector<std::uint8_t>& textures;
  /// The graph views' settings; null when there are no views (a headless save keeps defaults).
  CGraphContainer* graphs = nullptr;
};

/// Gathers what a saved file holds.
[[nodiscard]] GrfDocument captureDocument(const DocumentParts& parts);

/// Puts a read document into the live state. Every tree is rebuilt before anything changes, so
/// that a failure (returned as a message) leaves the state exactly as it was. Parameters are set
/// by name; the graph settings replace the views' when the views accept them; the animated
/// letter and value become the numeric engine's.
[[nodiscard]] std::optional<std::string> applyDocument(const GrfDocument& document, DocumentParts& parts);

} // namespace vexmar
