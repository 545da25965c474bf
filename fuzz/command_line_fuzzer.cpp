// Runs the Qt-free command line on fuzzed arguments. Byte 0 of an input picks the subcommand (its
// value modulo 3: type, eval, classify); the rest, split at NUL bytes, are its arguments in order.
// Whatever the arguments, the command must finish, say why when it fails and leave no object
// behind once the process state is reset.
#include "cli/command_line.h"
#include "model/math_object.h"
#include "model/process_state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::array<const char*, 3> kSubcommands = {"type", "eval", "classify"};

std::size_t objectsAtStart = 0;

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "command_line_fuzzer: %s\n", what);
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vexmar::resetProcessState();
  objectsAtStart = vexmar::objectsInUse();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<std::string> args{kSubcommands[data[0] % kSubcommands.size()]};
  if (size > 1) {
    args.emplace_back();
    for (std::size_t i = 1; i < size; ++i) {
      if (data[i] == 0)
        args.emplace_back();
      else
        args.back() += static_cast<char>(data[i]);
    }
  }
  std::ostringstream out, err;
  const int status = vexmar::runCommandLine(args, out, err);
  require(status == 0 || !err.str().empty(), "a command failed without saying why");
  vexmar::resetProcessState();
  require(vexmar::objectsInUse() == objectsAtStart, "objects outlived the command and the reset");
  return 0;
}
