// Every file the document reader's fuzzer found interesting, and the seeds it started from: each
// is refused with a one-line message and leaves the open document as it was, or reads, opens and
// writes back to a file that reads the same.
#include "document/animation_slider.h"
#include "document/document_model.h"
#include "document/document_storage.h"
#include "document/grf_file.h"
#include "graph/graph_container.h"
#include "numeric/numeric_state.h"
#include "numeric/parameter_list.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace vexmar {
namespace {

std::vector<std::filesystem::path> corpusFiles() {
  std::vector<std::filesystem::path> files;
  for (const char* folder : {VEXMAR_GRF_SEEDS, VEXMAR_GRF_FOUND})
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(GrfCorpus, EveryFileIsRefusedWithAReasonOrReadsBackTheSame) {
  const std::vector<std::filesystem::path> files = corpusFiles();
  ASSERT_GE(files.size(), 3u);
  std::size_t refused = 0;
  for (const std::filesystem::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    std::string error;
    const std::optional<std::vector<std::uint8_t>> bytes = readFileBytes(file.string(), error);
    ASSERT_TRUE(bytes) << error;

    // The open document: one equation, one parameter, a slider of its own.
    DocumentModel model;
    model.newDocument();
    model.equation(0).insertionPoint->setRoot(readObjectText("equal[char[y],char[x]]"));
    ParameterList parameters;
    parameters.set("q", "7");
    AnimationSlider animation;
    animation.setSettings({-5, 5, 5, 'w'});
    std::vector<std::uint8_t> textures;
    CGraphContainer graphs;
    DocumentParts parts{model, parameters, animation, textures, &graphs};
    const std::vector<std::uint8_t> before = writeGrf(captureDocument(parts));

    const GrfReadResult read = readGrf(*bytes);
    if (!read.document) {
      ++refused;
      EXPECT_FALSE(read.error.empty());
      EXPECT_EQ(read.error.find('\n'), std::string::npos) << read.error;
      EXPECT_EQ(writeGrf(captureDocument(parts)), before);
      continue;
    }
    const std::vector<std::uint8_t> written = writeGrf(*read.document);
    const GrfReadResult again = readGrf(written);
    ASSERT_TRUE(again.document) << again.error;
    EXPECT_EQ(writeGrf(*again.document), written);
    EXPECT_FALSE(applyDocument(*read.document, parts));
  }
  EXPECT_GE(refused, 1u);
  resetNumericState();
}

} // namespace
} // namespace vexmar
