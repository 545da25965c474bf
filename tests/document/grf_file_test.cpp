#include "document/grf_file.h"

#include "document/animation_slider.h"
#include "document/document_model.h"
#include "document/document_storage.h"
#include "graph/graph_container.h"
#include "numeric/numeric_state.h"
#include "numeric/parameter_list.h"
#include "text/object_text.h"
#include "text/text_state.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace vexmar {
namespace {

using Bytes = std::vector<std::uint8_t>;

void setU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t getU32(const Bytes& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
  return v;
}
void setF64(Bytes& b, std::size_t at, double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  for (int i = 0; i < 8; ++i) b[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// One 2x2 24-bit bitmap record and one 2-colour 8x1 record, followed by trailing padding the
// reader must keep.
Bytes textureChunkBody() {
  Bytes body(4, 0);
  setU32(body, 0, 2);
  auto record = [&](std::int32_t w, std::int32_t h, std::uint16_t bits, std::size_t payload) {
    const std::size_t size = (8 + 40 + payload + 7) / 8 * 8;
    const std::size_t start = body.size();
    body.resize(start + size, 0);
    body[start] = 'T', body[start + 1] = 'E', body[start + 2] = 'X', body[start + 3] = 'S';
    setU32(body, start + 4, static_cast<std::uint32_t>(size));
    setU32(body, start + 8, 40);
    setU32(body, start + 12, static_cast<std::uint32_t>(w));
    setU32(body, start + 16, static_cast<std::uint32_t>(h));
    body[start + 20] = 1;
    body[start + 22] = static_cast<std::uint8_t>(bits);
    for (std::size_t i = start + 48; i < start + 48 + payload; ++i)
      body[i] = static_cast<std::uint8_t>(i * 7);
  };
  record(2, 2, 24, 12);
  record(8, -1, 1, 8 + 1);
  body.push_back(0xAB); // trailing bytes after the last record
  return body;
}

GrfDocument sampleDocument() {
  GrfDocument d;
  d.equations = {
      {"equal[char[y],power[char[x],num[2,\"2\"]]]", 1.0, 0.0, 0.25, 3.0, 0.75},
      {"equal[char[z],plus[char[x],char[a]]]", 2.0, 1.0, 1.0, kTextureColourCode, 0.0},
      {"prompt[]", 3.0, 2.0, 0.0, 16.0, 1.0},
  };
  d.parameters = {{"a", true, 2.5}, {"b", false, -1e-300}, {"alpha", true, 3.0}};
  CGraphContainer graphs;
  graphs.zoom(0);
  graphs.space3D().spinning = true;
  d.graphSettings = graphs.saveSettings();
  d.textures = textureChunkBody();
  d.animation = GrfAnimation{20, -20, 8, 5.0, 'k'};
  return d;
}

std::string readError(const Bytes& bytes) { return readGrf(bytes).error; }

TEST(GrfFile, EveryChunkReadsBackFieldByField) {
  const GrfDocument original = sampleDocument();
  const GrfReadResult read = readGrf(writeGrf(original));
  ASSERT_TRUE(read.document) << read.error;
  const GrfDocument& d = *read.document;
  ASSERT_EQ(d.equations.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(d.equations[i], original.equations[i]);
  }
  EXPECT_EQ(d.parameters, original.parameters);
  EXPECT_EQ(d.graphSettings, original.graphSettings);
  EXPECT_EQ(d.textures, original.textures); // byte for byte, trailing byte included
  EXPECT_EQ(d.animation, original.animation);
  EXPECT_FALSE(d.preferences);
  // Writing what was read gives the same file.
  EXPECT_EQ(writeGrf(d), writeGrf(original));
}

TEST(GrfFile, ChunkSizesFollowTheLayout) {
  GrfDocument d;
  d.equations = {{"char[x]"}};
  d.parameters = {{"a", true, 1}, {"b", false, 2}};
  const Bytes bytes = writeGrf(d);
  // Header; EQN1 of 60 + 8 (7 text bytes round to one 8-byte unit, slack 1); PAR1; ANM1.
  EXPECT_EQ(getU32(bytes, 16), 32u);
  EXPECT_EQ(getU32(bytes, 24), 10u);
  EXPECT_EQ(getU32(bytes, 32 + 4), 68u);
  EXPECT_EQ(getU32(bytes, 32 + 12), 1u);
  EXPECT_EQ(getU32(bytes, 100 + 4), 16u + 2 * 20);
  EXPECT_EQ(getU32(bytes, 156 + 4), 36u);
  EXPECT_EQ(bytes.size(), 192u);
  // An 8-character text needs a second unit for its NUL.
  d.equations = {{"char[xy]"}};
  EXPECT_EQ(getU32(writeGrf(d), 32 + 4), 76u);
}

TEST(GrfFile, TexturesAreWrittenOnlyWhenAnEquationUsesThem) {
  GrfDocument d = sampleDocument();
  d.equations[1].colourCode = 2.0;
  const GrfReadResult read = readGrf(writeGrf(d));
  ASSERT_TRUE(read.document);
  EXPECT_TRUE(read.document->textures.empty());
}

// The live state survives a trip through a file: capture, write, read, apply into fresh state,
// capture again.
TEST(GrfFile, LiveStateRoundTripsThroughAFile) {
  DocumentModel model;
  model.newDocument();
  model.equation(0).insertionPoint->setRoot(readObjectText("equal[char[y],char[x]]"));
  model.equation(0).plotStyle = 2.0;
  EquationRecord& second = model.addEquation(0);
  second.insertionPoint->setRoot(readObjectText("equal[char[z],times[char[x],char[y]]]"));
  second.colourCode = kTextureColourCode;
  second.resolutionA = 0.125;
  ParameterList parameters;
  parameters.set("a", "2");
  parameters.set("c", "0.1234567891234");
  parameters.find("a")->inUse = true;
  AnimationSlider slider;
  slider.setSettings({0, 10, 4, 'k'});
  slider.setPosition(3); // 7.5
  Bytes textures = textureChunkBody();
  CGraphContainer graphs;
  graphs.zoom(1);
  DocumentParts parts{model, parameters, slider, textures, &graphs};
  const GrfDocument saved = captureDocument(parts);

  const GrfReadResult read = readGrf(writeGrf(saved));
  ASSERT_TRUE(read.document) << read.error;
  DocumentModel freshModel;
  ParameterList freshParameters;
  AnimationSlider freshSlider;
  Bytes freshTextures;
  CGraphContainer freshGraphs;
  DocumentParts fresh{freshModel, freshParameters, freshSlider, freshTextures, &freshGraphs};
  ASSERT_FALSE(applyDocument(*read.document, fresh));

  ASSERT_EQ(freshModel.equationCount(), 2);
  EXPECT_TRUE(freshModel.loaded);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const EquationRecord& a = model.equation(i);
    const EquationRecord& b = freshModel.equation(i);
    EXPECT_EQ(writeObjectText(*b.insertionPoint->root), writeObjectText(*a.insertionPoint->root));
    EXPECT_EQ(b.insertionPoint->current, b.insertionPoint->root.get()); // the caret on the root
    EXPECT_EQ(b.colourCode, a.colourCode);
    EXPECT_EQ(b.plotStyle, a.plotStyle);
    EXPECT_EQ(b.resolutionA, a.resolutionA);
    EXPECT_EQ(b.resolutionB, a.resolutionB);
    EXPECT_EQ(b.curveMode, 2.0);
  }
  EXPECT_EQ(freshParameters.find("a")->valueText, "2");
  EXPECT_TRUE(freshParameters.find("a")->inUse);
  EXPECT_EQ(freshParameters.find("c")->valueText, "0.1234567891234"); // every digit kept
  EXPECT_EQ(freshSlider.settings(), slider.settings());
  EXPECT_EQ(freshSlider.value(), 7.5);
  EXPECT_EQ(numericState().animatedVariable, 'k');
  EXPECT_EQ(freshTextures, textures);
  EXPECT_EQ(freshGraphs.saveSettings(), graphs.saveSettings());
  // Saving the reopened document lists the same, chunk by chunk and field by field.
  std::string error;
  const std::string listing = dumpGrf(writeGrf(saved), error);
  EXPECT_NE(listing.find("TEX1 "), std::string::npos);
  EXPECT_EQ(dumpGrf(writeGrf(captureDocument(fresh)), error), listing);
  resetNumericState();
}

TEST(GrfFile, AnOutOfRangeAnimationValueBecomesTheHighest) {
  EXPECT_EQ(clampedAnimationValue({10, 0, 4, 12.0, 'n'}), 10.0);
  EXPECT_EQ(clampedAnimationValue({10, 0, 4, -1.0, 'n'}), 10.0);
  EXPECT_EQ(clampedAnimationValue({10, 0, 4, NAN, 'n'}), 10.0);
  EXPECT_EQ(clampedAnimationValue({10, 0, 4, 7.3, 'n'}), 7.3);
}

TEST(GrfFile, AFailedApplyChangesNothing) {
  DocumentModel model;
  model.newDocument();
  model.equation(0).insertionPoint->setRoot(readObjectText("char[q]"));
  ParameterList parameters;
  AnimationSlider slider;
  Bytes textures;
  DocumentParts parts{model, parameters, slider, textures};
  GrfDocument bad = sampleDocument();
  bad.equations[2].text = "plus[";
  EXPECT_TRUE(applyDocument(bad, parts));
  ASSERT_EQ(model.equationCount(), 1);
  EXPECT_EQ(writeObjectText(*model.equation(0).insertionPoint->root), "char[q]");
  EXPECT_TRUE(parameters.all().empty());
  EXPECT_EQ(slider.settings(), SliderSettings{});
  EXPECT_TRUE(textures.empty());
}

// Offsets in the sample file: header 32, first EQN1 at 32.
constexpr std::size_t kEqn = 32;

struct CorruptRow {
  const char* name;
  std::function<void(Bytes&)> damage;
  const char* message; ///< a part of the expected message
};

std::size_t chunkAt(const Bytes& b, const char* tag) {
  for (std::size_t at = 32; at + 12 <= b.size(); at += getU32(b, at + 4))
    if (std::equal(tag, tag + 4, b.begin() + static_cast<std::ptrdiff_t>(at))) return at;
  ADD_FAILURE() << "no chunk " << tag;
  return 0;
}

TEST(GrfFile, DamagedFilesAreRefusedWithAReason) {
  const std::vector<CorruptRow> rows = {
      {"empty file", [](Bytes& b) { b.clear(); }, "shorter than its header"},
      {"short header", [](Bytes& b) { b.resize(20); }, "shorter than its header"},
      {"wrong magic", [](Bytes& b) { b[5] = 'W'; }, "not a Vexmar document"},
      {"header size", [](Bytes& b) { setU32(b, 16, 33); }, "header size"},
      {"older version", [](Bytes& b) { setU32(b, 24, 9); }, "unsupported format version 9"},
      {"newer version", [](Bytes& b) { setU32(b, 24, 11); }, "newer version"},
      {"zero chunk size", [](Bytes& b) { setU32(b, kEqn + 4, 0); }, "bad size 0"},
      {"chunk size below its header", [](Bytes& b) { setU32(b, kEqn + 4, 11); }, "bad size 11"},
      {"chunk past the end", [](Bytes& b) { setU32(b, kEqn + 4, 0x7FFFFFFF); }, "cut short"},
      {"truncated in a chunk", [](Bytes& b) { b.pop_back(); }, "cut short"},
      {"stray bytes after the chunks",
       [](Bytes& b) {
         for (int i = 0; i < 5; ++i) b.push_back(0);
       },
       "truncated chunk header"},
      {"equation too short", [](Bytes& b) { setU32(b, kEqn + 4, 40); }, "too short"},
      {"no slack", [](Bytes& b) { setU32(b, kEqn + 12, 0); }, "bad text length"},
      {"slack past the text", [](Bytes& b) { setU32(b, kEqn + 12, 0xFFFFFFF0); }, "bad text length"},
      {"text without its NUL", [](Bytes& b) { b[kEqn + getU32(b, kEqn + 4) - getU32(b, kEqn + 12)] = ')'; },
       "not terminated"},
      {"plot style 4", [](Bytes& b) { setF64(b, kEqn + 20, 4.0); }, "plot style 4"},
      {"colour 9", [](Bytes& b) { setF64(b, kEqn + 44, 9.0); }, "colour code 9"},
      {"colour 2.5", [](Bytes& b) { setF64(b, kEqn + 44, 2.5); }, "colour code 2.5"},
      {"resolution above 1", [](Bytes& b) { setF64(b, kEqn + 36, 1.5); }, "resolution"},
      {"resolution NaN", [](Bytes& b) { setF64(b, kEqn + 52, NAN); }, "resolution"},
      {"text that is no tree", [](Bytes& b) { b[kEqn + 60] = 'q'; }, "does not read"},
      {"parameter count beyond the records", [](Bytes& b) { setU32(b, chunkAt(b, "PAR1") + 12, 0xFFFFFFFF); },
       "cut short"},
      {"parameter record of size 0", [](Bytes& b) { setU32(b, chunkAt(b, "PAR1") + 16, 0); }, "bad size 0"},
      {"parameter record past its chunk", [](Bytes& b) { setU32(b, chunkAt(b, "PAR1") + 16, 1000); },
       "bad size 1000"},
      {"parameter name without NUL",
       [](Bytes& b) {
         const std::size_t p = chunkAt(b, "PAR1") + 16;
         for (std::size_t i = p + 16; i < p + 20; ++i) b[i] = 'a';
       },
       "unterminated name"},
      {"three textures", [](Bytes& b) { setU32(b, chunkAt(b, "TEX1") + 12, 3); }, "more than the 2 slots"},
      {"texture without its tag", [](Bytes& b) { b[chunkAt(b, "TEX1") + 16] = 'X'; }, "no TEXS tag"},
      {"texture record size not a multiple of 8", [](Bytes& b) { setU32(b, chunkAt(b, "TEX1") + 20, 60); },
       "bad record size"},
      {"texture bits past the record", [](Bytes& b) { setU32(b, chunkAt(b, "TEX1") + 24 + 20, 4096); },
       "do not fit"},
      {"texture of width 0", [](Bytes& b) { setU32(b, chunkAt(b, "TEX1") + 24 + 4, 0); }, "not usable"},
      {"texture bit count 7", [](Bytes& b) { b[chunkAt(b, "TEX1") + 24 + 14] = 7; }, "bit count 7"},
      {"animation steps 0", [](Bytes& b) { setU32(b, chunkAt(b, "ANM1") + 20, 0); }, "number of steps 0"},
      {"animation steps 101", [](Bytes& b) { setU32(b, chunkAt(b, "ANM1") + 20, 101); },
       "number of steps 101"},
      {"animation highest below lowest",
       [](Bytes& b) { setU32(b, chunkAt(b, "ANM1") + 12, static_cast<std::uint32_t>(-30)); }, "slider range"},
      {"animation beyond 200", [](Bytes& b) { setU32(b, chunkAt(b, "ANM1") + 12, 201); }, "slider range"},
      {"animation letter a digit", [](Bytes& b) { setU32(b, chunkAt(b, "ANM1") + 32, '1'); }, "not a letter"},
  };
  const Bytes good = writeGrf(sampleDocument());
  ASSERT_TRUE(readGrf(good).document);
  for (const CorruptRow& row : rows) {
    SCOPED_TRACE(row.name);
    Bytes bytes = good;
    row.damage(bytes);
    const GrfReadResult read = readGrf(bytes);
    EXPECT_FALSE(read.document);
    EXPECT_NE(read.error.find(row.message), std::string::npos) << read.error;
    EXPECT_EQ(read.error.find('\n'), std::string::npos);
  }
}

Bytes withChunk(Bytes bytes, const char (&tag)[5], const Bytes& body) {
  const std::size_t start = bytes.size();
  bytes.insert(bytes.end(), tag, tag + 4);
  bytes.resize(start + 12, 0);
  setU32(bytes, start + 4, static_cast<std::uint32_t>(12 + body.size()));
  setU32(bytes, start + 8, static_cast<std::uint32_t>(12 + body.size()));
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

TEST(GrfFile, UnknownChunksBadParametersAndOddGraphSettingsAreLeftOut) {
  GrfDocument d;
  d.equations = {{"char[x]"}};
  d.parameters = {
      {"a", true, 1.0}, {"1b", true, 2.0}, {"c", true, INFINITY}, {"", false, 1.0}, {"d", false, 4.0}};
  Bytes bytes = withChunk(writeGrf(d), "ZZZ9", Bytes(5, 7));
  bytes = withChunk(bytes, "GST1", Bytes(100, 0));
  const GrfReadResult read = readGrf(bytes);
  ASSERT_TRUE(read.document) << read.error;
  const std::vector<GrfParameter> kept = {{"a", true, 1.0}, {"d", false, 4.0}};
  EXPECT_EQ(read.document->parameters, kept);
  EXPECT_TRUE(read.document->graphSettings.empty());
}

TEST(GrfFile, PreferencesAreReadAndAnOverlongTypefaceIsRefused) {
  Bytes body(16, 0);
  setU32(body, 0, 6);
  setU32(body, 4, 20);
  setU32(body, 8, 14);
  setU32(body, 12, 10);
  Bytes named = body;
  for (char c : std::string("Serif")) named.push_back(static_cast<std::uint8_t>(c));
  named.push_back(0);
  const GrfReadResult read = readGrf(withChunk(writeGrf({}), "PRF1", named));
  ASSERT_TRUE(read.document) << read.error;
  EXPECT_EQ(read.document->preferences, (GrfPreferences{6, 20, 14, 10, "Serif"}));
  // The digit count is applied when it is one numbers can be shown with.
  DocumentModel model;
  ParameterList parameters;
  AnimationSlider slider;
  Bytes textures;
  DocumentParts parts{model, parameters, slider, textures};
  GrfDocument withDigits = *read.document;
  ASSERT_FALSE(applyDocument(withDigits, parts));
  EXPECT_EQ(textState().sigFigs, 6);
  withDigits.preferences->sigFigs = 15;
  ASSERT_FALSE(applyDocument(withDigits, parts));
  EXPECT_EQ(textState().sigFigs, 6);
  resetTextState();

  Bytes longName = body;
  longName.insert(longName.end(), 65, 'x');
  longName.push_back(0);
  EXPECT_NE(readError(withChunk(writeGrf({}), "PRF1", longName)).find("longer than 64"), std::string::npos);
  longName.pop_back();
  EXPECT_NE(readError(withChunk(writeGrf({}), "PRF1", longName)).find("not terminated"), std::string::npos);
}

TEST(GrfFile, DumpListsEveryChunkWithItsFields) {
  GrfDocument d;
  d.equations = {{"char[x]", 1.0, 2.0, 0.5, 3.0, 0.5}};
  d.parameters = {{"a", true, 2.0}};
  d.animation = GrfAnimation{10, 0, 10, 1.0, 'n'};
  std::string error;
  const std::string dump = dumpGrf(writeGrf(d), error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(dump, "version 10\n"
                  "EQN1 68 style 1 mode 2 resA 0.5 colour 3 resB 0.5 text char[x]\n"
                  "PAR1 36 count 1 a=2 on\n"
                  "ANM1 36 highest 10 lowest 0 steps 10 value 1 letter n\n");
  Bytes bad = writeGrf(d);
  setU32(bad, 24, 11);
  EXPECT_EQ(dumpGrf(bad, error), "");
  EXPECT_NE(error.find("newer"), std::string::npos);
}

class GrfSaving : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("vexmar-grf-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path folder_;
};

std::size_t entriesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

TEST_F(GrfSaving, ASaveReplacesTheFileAndLeavesNoTemporary) {
  const std::string path = (folder_ / "doc.grf").string();
  const Bytes first = writeGrf(sampleDocument());
  ASSERT_FALSE(saveFileAtomically(path, first));
  std::string error;
  EXPECT_EQ(readFileBytes(path, error), first);
  const Bytes second = writeGrf({});
  ASSERT_FALSE(saveFileAtomically(path, second));
  EXPECT_EQ(readFileBytes(path, error), second);
  EXPECT_EQ(entriesIn(folder_), 1u);
}

TEST_F(GrfSaving, AFailedSaveKeepsTheOldFileAndSaysWhy) {
  const std::string path = (folder_ / "doc.grf").string();
  const Bytes old = writeGrf(sampleDocument());
  ASSERT_FALSE(saveFileAtomically(path, old));
  const Bytes replacement = writeGrf({});
  std::string error;

  // A folder that does not exist, and a file where the folder should be.
  EXPECT_TRUE(saveFileAtomically((folder_ / "missing" / "doc.grf").string(), replacement));
  const std::optional<std::string> underFile = saveFileAtomically(path + "/doc.grf", replacement);
  ASSERT_TRUE(underFile);
  EXPECT_NE(underFile->find("cannot write in"), std::string::npos) << *underFile;
  EXPECT_EQ(readFileBytes(path, error), old);
  EXPECT_EQ(entriesIn(folder_), 1u);
}

TEST_F(GrfSaving, ASaveIntoAReadOnlyFolderKeepsTheOldFile) {
  // Permissions do not hold back root.
  if (::geteuid() == 0) GTEST_SKIP() << "running as root";
  const std::string path = (folder_ / "doc.grf").string();
  const Bytes old = writeGrf(sampleDocument());
  ASSERT_FALSE(saveFileAtomically(path, old));
  const Bytes replacement = writeGrf({});
  std::string error;
  std::filesystem::permissions(folder_,
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const std::optional<std::string> readOnly = saveFileAtomically(path, replacement);
  ASSERT_TRUE(readOnly);
  EXPECT_NE(readOnly->find("Permission denied"), std::string::npos) << *readOnly;
  EXPECT_EQ(readFileBytes(path, error), old);
  EXPECT_EQ(entriesIn(folder_), 1u);
}

TEST_F(GrfSaving, ReadingAMissingFileOrAFolderSaysWhy) {
  std::string error;
  EXPECT_FALSE(readFileBytes((folder_ / "none.grf").string(), error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_FALSE(readFileBytes(folder_.string(), error));
  EXPECT_EQ(error, "is a folder");
  const std::string big = (folder_ / "big").string();
  std::ofstream(big) << std::string(100, 'x');
  EXPECT_FALSE(readFileBytes(big, error, 99));
  EXPECT_EQ(error, "file too large");
}

} // namespace
} // namespace vexmar
