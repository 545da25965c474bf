#include "cli/active_line.h"
#include "cli/option_parser.h"
#include "cli/subcommands.h"
#include "document/animation_slider.h"
#include "document/document_model.h"
#include "document/document_storage.h"
#include "graph/graph_container.h"
#include "model/insertion_point.h"
#include "numeric/parameter_list.h"

#include <charconv>
#include <cmath>
#include <ostream>

namespace vexmar {
namespace {

// NAME=VALUE with NAME beginning with a letter, as a document stores it, and a finite VALUE.
bool readParameter(std::string_view item, std::string& name, double& value) {
  const std::size_t equals = item.find('=');
  if (equals == std::string_view::npos || equals == 0) return false;
  const char first = item[0];
  if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'))) return false;
  const std::string_view text = item.substr(equals + 1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return false;
  name = std::string(item.substr(0, equals));
  return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>> readFileArgument(std::string_view command, const std::string& path,
                                                          std::ostream& err) {
  std::string problem;
  std::optional<std::vector<std::uint8_t>> bytes = readFileBytes(path, problem);
  if (!bytes) commandLineError(err, std::string(command) + ": " + path + ": " + problem);
  return bytes;
}

int runSaveCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
  static constexpr OptionRow kOptions[] = {{"-e", "KEYS", Occurs::Repeatable},
                                           {"--text"},
                                           {"--param", "NAME=VALUE,...", Occurs::Repeatable},
                                           kClassicTypingOption,
                                           {"-o", "FILE.grf", Occurs::Required}};
  const ParsedOptions parsed = parseOptions(args, {"save", kOptions, {}});
  if (!parsed.error.empty()) return commandLineError(err, parsed.error);
  const std::string& output = *parsed.value("-o");
  if (output.empty()) return commandLineError(err, "save: missing -o FILE.grf");

  DocumentModel model;
  const bool textForm = parsed.has("--text");
  const std::vector<std::string> equations = parsed.values("-e");
  for (std::size_t i = 0; i < equations.size(); ++i) {
    ActiveLine active(typingHabitsOf(parsed));
    std::string error;
    if (textForm ? !active.startFromText(equations[i], error) : !active.typeKeys(equations[i], error))
      return commandLineError(err, "save: equation " + std::to_string(i + 1) + ": " + error);
    model.addEquation(model.equationCount() - 1).insertionPoint->setRoot(cloneTree(*active.line().root));
  }
  // A document always holds an equation, if only an empty one.
  if (model.equationCount() == 0) model.newDocument();

  ParameterList parameters;
  for (const std::string& list : parsed.values("--param")) {
    std::string_view items = list;
    for (;;) {
      const std::size_t comma = items.find(',');
      const std::string_view item = items.substr(0, comma);
      std::string name;
      double value = 0.0;
      if (!readParameter(item, name, value))
        return commandLineError(err,
                                "save: --param needs NAME=VALUE,... with NAME beginning with a letter and "
                                "VALUE a finite number ('" +
                                    std::string(item) + "')");
      char text[32];
      const auto written = std::to_chars(text, text + sizeof text, value);
      parameters.set(name, std::string(text, written.ptr));
      parameters.find(name)->inUse = true;
      if (comma == std::string_view::npos) break;
      items.remove_prefix(comma + 1);
    }
  }

  AnimationSlider animation;
  std::vector<std::uint8_t> textures;
  // The views as a new window shows them.
  CGraphContainer graphs;
  DocumentParts parts{model, parameters, animation, textures, &graphs};
  if (const std::optional<std::string> failed = saveFileAtomically(output, writeGrf(captureDocument(parts))))
    return commandLineError(err, "save: " + *failed);
  return 0;
}

int runDumpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  static constexpr std::string_view kPositionals[] = {"FILE.grf"};
  const ParsedOptions parsed = parseOptions(args, {"dump", {}, kPositionals});
  if (!parsed.error.empty()) return commandLineError(err, parsed.error);
  const std::string& path = parsed.positionals.front();
  const std::optional<std::vector<std::uint8_t>> bytes = readFileArgument("dump", path, err);
  if (!bytes) return kUsageError;
  std::string problem;
  const std::string listing = dumpGrf(*bytes, problem);
  if (!problem.empty()) return commandLineError(err, "dump: " + path + ": " + problem);
  out << listing;
  return 0;
}

} // namespace vexmar
