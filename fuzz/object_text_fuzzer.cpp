// Reads fuzzed text forms. The reader must refuse a bad one with a message and a place inside the
// text; what it accepts must write out to a text that reads back to the same text; nothing may be
// left behind either way.
#include "model/math_object.h"
#include "text/object_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "object_text_fuzzer: %s\n", what);
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t objectsBefore = vexmar::objectsInUse();
  {
    const vexmar::ObjectTextReadResult result = vexmar::readObjectTextChecked(text);
    if (!result.object) {
      require(!result.message.empty(), "a refusal without a message");
      require(result.offset <= size, "a refusal placed beyond the text");
    } else {
      const std::string written = vexmar::writeObjectText(*result.object);
      const vexmar::ObjectTextReadResult again = vexmar::readObjectTextChecked(written);
      require(again.object != nullptr, "a written text form does not read back");
      require(vexmar::writeObjectText(*again.object) == written, "a written text form reads back changed");
    }
  }
  require(vexmar::objectsInUse() == objectsBefore, "reading left objects behind");
  return 0;
}
