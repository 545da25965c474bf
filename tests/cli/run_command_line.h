#pragma once

#include "cli/command_line.h"

#include <sstream>
#include <string>
#include <vector>

namespace vexmar::test {

/// What a headless command line printed and returned.
struct Outcome {
  int status;
  std::string out, err;
};

/// Runs `vexmar ARGS...` in process.
inline Outcome vexmar(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = runCommandLine(args, out, err);
  return {status, out.str(), err.str()};
}

} // namespace vexmar::test
