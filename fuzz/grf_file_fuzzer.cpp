// Reads fuzzed document files. A refusal needs a one-line message, and the listing must refuse the
// same files; an accepted file must write out to a file that reads back the same, and must go
// into fresh live state without a failure; nothing may be left behind either way.
#include "document/animation_slider.h"
#include "document/document_model.h"
#include "document/document_storage.h"
#include "document/grf_file.h"
#include "graph/graph_container.h"
#include "model/math_object.h"
#include "numeric/numeric_state.h"
#include "numeric/parameter_list.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace {

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "grf_file_fuzzer: %s\n", what);
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const std::size_t objectsBefore = vexmar::objectsInUse();
  {
    const vexmar::GrfReadResult read = vexmar::readGrf(bytes);
    std::string dumpError;
    const std::string listing = vexmar::dumpGrf(bytes, dumpError);
    require(dumpError == read.error, "the listing and the reader disagree");
    if (!read.document) {
      require(!read.error.empty(), "a refusal without a message");
      require(read.error.find('\n') == std::string::npos, "a message of more than one line");
    } else {
      require(listing.rfind("version 10\n", 0) == 0, "a listing without its header line");
      const std::vector<std::uint8_t> written = vexmar::writeGrf(*read.document);
      const vexmar::GrfReadResult again = vexmar::readGrf(written);
      require(again.document.has_value(), "a written file does not read back");
      require(vexmar::writeGrf(*again.document) == written, "a written file reads back changed");

      vexmar::DocumentModel model;
      vexmar::ParameterList parameters;
      vexmar::AnimationSlider animation;
      std::vector<std::uint8_t> textures;
      vexmar::CGraphContainer graphs;
      vexmar::DocumentParts parts{model, parameters, animation, textures, &graphs};
      require(!vexmar::applyDocument(*read.document, parts), "a file that reads does not open");
      require(model.equationCount() >= 1, "an opened document without an equation");
    }
  }
  vexmar::resetNumericState();
  require(vexmar::objectsInUse() == objectsBefore, "reading left objects behind");
  return 0;
}
