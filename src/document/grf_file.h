#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vexmar {

/// The document file (.grf): a 32-byte header and tagged chunks, little-endian throughout.
inline constexpr std::uint32_t kGrfVersion = 10;
inline constexpr std::size_t kGrfHeaderBytes = 32;
inline constexpr std::size_t kGrfChunkHeaderBytes = 12;
/// The two view settings blocks of the graph settings chunk: the plane's and the space's.
inline constexpr std::size_t kGrfGraphSettingsBytes = 108 + 308;
/// Texture slots a document can fill.
inline constexpr std::uint32_t kGrfTextureSlots = 2;

/// One equation as stored: its tree in text form and its settings.
struct GrfEquation {
  std::string text;
  double plotStyle = 1.0;
  double curveMode = 2.0; ///< as written; an opened equation always gets 2
  double resolutionA = 0.5;
  double colourCode = 1.0;
  double resolutionB = 1.0;
  friend bool operator==(const GrfEquation&, const GrfEquation&) = default;
};

struct GrfParameter {
  std::string name;
  bool on = false; ///< switched on in the parameters window
  double value = 0.0;
  friend bool operator==(const GrfParameter&, const GrfParameter&) = default;
};

/// The animation slider as stored.
struct GrfAnimation {
  std::int32_t highest = 10;
  std::int32_t lowest = 0;
  std::int32_t steps = 10;
  double value = 1.0;
  std::int32_t letter = 'n';
  friend bool operator==(const GrfAnimation&, const GrfAnimation&) = default;
};

/// Display preferences, only ever read (older files carry them).
struct GrfPreferences {
  std::int32_t sigFigs = 8;
  std::uint32_t mainFontSize = 0;
  std::uint32_t firstScriptSize = 0;
  std::uint32_t secondScriptSize = 0;
  std::string typeface;
  friend bool operator==(const GrfPreferences&, const GrfPreferences&) = default;
};

/// Everything a document file holds, independent of any window.
struct GrfDocument {
  std::vector<GrfEquation> equations;
  /// Records with a bad name or value were left out on reading.
  std::vector<GrfParameter> parameters;
  /// The plane's block then the space's; empty when the file had no usable graph settings.
  std::vector<std::uint8_t> graphSettings;
  /// The texture chunk from its count on (count, then the records), kept byte for byte; empty
  /// when there are no textures.
  std::vector<std::uint8_t> textures;
  std::optional<GrfAnimation> animation;
  std::optional<GrfPreferences> preferences;
  friend bool operator==(const GrfDocument&, const GrfDocument&) = default;
};

/// The file's bytes. The texture chunk is written only when some equation has the texture
/// colour (999) and there are textures.
[[nodiscard]] std::vector<std::uint8_t> writeGrf(const GrfDocument& document);

/// The outcome of reading a file: the document, or a one-line message saying what is wrong.
struct GrfReadResult {
  std::optional<GrfDocument> document;
  std::string error;
};

/// Reads a whole file, checking every size, count and offset against the bytes present; a
/// document made by a newer program is refused.
[[nodiscard]] GrfReadResult readGrf(std::span<const std::uint8_t> bytes);

/// A readable listing of a valid file: "version 10", then per chunk its tag, size and fields.
/// Empty, with `error` set, for a file readGrf refuses.
[[nodiscard]] std::string dumpGrf(std::span<const std::uint8_t> bytes, std::string& error);

/// The slider value an opened document gets: a value outside the range becomes the highest.
[[nodiscard]] double clampedAnimationValue(const GrfAnimation& animation);

/// The bytes of a file, at most `limit` of them; nothing, with `error` set, when it cannot be
/// read or is larger.
[[nodiscard]] std::optional<std::vector<std::uint8_t>>
readFileBytes(const std::string& path, std::string& error, std::size_t limit = std::size_t{1} << 28);

/// Replaces `path` with `bytes` safely: writes a temporary file in the same folder, flushes it
/// to the disk and renames it over the old file, so that a failure leaves the old file as it
/// was. Returns a message on failure, nothing on success.
[[nodiscard]] std::optional<std::string> saveFileAtomically(const std::string& path,
                                                            std::span<const std::uint8_t> bytes);

} // namespace vexmar
