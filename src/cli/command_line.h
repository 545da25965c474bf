#pragma once

#include "cli/subcommands.h"

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

namespace vexmar {

/// Runs a headless subcommand (`vexmar type ...`); `args` excludes the program name.
/// `platformSubcommands` are those that live outside the Qt-free library (fonts, images); one
/// named like a Qt-free subcommand runs in its place (with an empty usage, under its usage).
/// Returns the process exit status.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   std::span<const SubcommandRow> platformSubcommands = {});

} // namespace vexmar
