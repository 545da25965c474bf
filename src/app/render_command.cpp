#include "app/frame_image.h"
#include "app/qt_text_renderer.h"
#include "app/typesetting_session.h"
#include "cli/active_line.h"
#include "cli/option_parser.h"
#include "cli/subcommands.h"
#include "document/document_graphs.h"
#include "document/document_model.h"
#include "graph/equation_classifier.h"
#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "graph/graph_picture.h"
#include "model/clock.h"
#include "raster/frame_buffer.h"

#include <charconv>
#include <ostream>

namespace vexmar {
namespace {

// However slow the functions, a batch run ends; the picture then shows what was computed.
constexpr std::int64_t kMaximumWorkMs = 120000;

bool readDimension(std::string_view text, int& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= 1 &&
         value <= FrameBuffer::kMaxDimension;
}

bool readSize(const std::string& text, int& width, int& height) {
  const std::size_t x = text.find('x');
  return x != std::string::npos && readDimension(std::string_view(text).substr(0, x), width) &&
         readDimension(std::string_view(text).substr(x + 1), height);
}

// One equation of the document: typed as KEYS (-e) or read as a text form (--text).
struct EquationSource {
  std::string words;
  bool textForm = false;
};

struct RenderArguments {
  std::vector<EquationSource> equations;
  int width = 640;
  int height = 480;
  double curveMode = 2.0;
  std::string output;
  TypingHabits habits;
};

bool readRenderArguments(const std::vector<std::string>& args, RenderArguments& out, std::string& error) {
  static constexpr OptionRow kOptions[] = {{"-e", "KEYS", Occurs::Repeatable},
                                           {"--text", "TREE", Occurs::Repeatable},
                                           {"--size", "WxH"},
                                           {"--curve-mode", "0|1|2"},
                                           kClassicTypingOption,
                                           {"-o", "FILE.png", Occurs::Required}};
  const ParsedOptions parsed = parseOptions(args, {"render", kOptions, {}});
  if (!parsed.error.empty()) {
    error = parsed.error;
    return false;
  }
  // The equations in the order given, whichever way each is written.
  for (const auto& [name, value] : parsed.given)
    if (name == "-e" || name == "--text") out.equations.push_back({value, name == "--text"});
  out.habits = typingHabitsOf(parsed);
  if (const std::string* size = parsed.value("--size"); size && !readSize(*size, out.width, out.height)) {
    error = "render: --size needs WIDTHxHEIGHT in pixels, each 1 to 16384 ('" + *size + "')";
    return false;
  }
  if (const std::string* mode = parsed.value("--curve-mode")) {
    if (*mode != "0" && *mode != "1" && *mode != "2") {
      error = "render: --curve-mode needs 0, 1 or 2 ('" + *mode + "')";
      return false;
    }
    out.curveMode = (*mode)[0] - '0';
  }
  out.output = *parsed.value("-o");
  return true;
}

} // namespace

int runRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  RenderArguments arguments;
  std::string error;
  if (!readRenderArguments(args, arguments, error)) return commandLineError(err, error);

  TypesettingSession session;
  DocumentModel document;
  for (std::size_t i = 0; i < arguments.equations.size(); ++i) {
    ActiveLine active(arguments.habits);
    const EquationSource& source = arguments.equations[i];
    if (source.textForm ? !active.startFromText(source.words, error) : !active.typeKeys(source.words, error))
      return commandLineError(err, "render: equation " + std::to_string(i + 1) + ": " + error);
    EquationRecord& record = document.addEquation(static_cast<int>(i) - 1);
    record.insertionPoint->setRoot(cloneTree(*active.line().root));
    record.curveMode = arguments.curveMode;
  }

  const PixelRect rect{0, 0, arguments.height, arguments.width};
  CGraphContainer container(rect);
  rebuildAllGraphs(container, document);
  Clock& clock = steadyClock();
  const std::int64_t end = clock.nowMs() + kMaximumWorkMs;
  while (!container.allComplete() && clock.nowMs() < end) container.work(100);

  const bool for3D = container.is3DActive();
  for (int i = 0; i < document.equationCount(); ++i) {
    EquationRecord& record = document.equation(i);
    const ObjectPtr prepared = prepareForEvaluation(*record.insertionPoint->root);
    const GraphForm form = classifyWithConditions(*prepared, for3D);
    out << i + 1 << ": ";
    if (form == GraphForm::None) {
      const CanGraphReason reason = whyNotGraphable(*record.insertionPoint->root, for3D);
      out << "reason " << static_cast<int>(reason) << ' ' << canGraphReasonMessage(reason) << '\n';
      continue;
    }
    const GraphStatus status =
        record.graphIndex >= 0 ? container.status(record.graphIndex) : GraphStatus::None;
    record.status = static_cast<int>(status);
    out << "form " << formCode(form) << " graph " << record.graphIndex << " status " << record.status;
    if (status != GraphStatus::None) out << ' ' << graphStatusMessage(status);
    out << '\n';
  }

  FrameBuffer frame;
  if (!frame.resize(arguments.width, arguments.height, container.is3DActive()))
    return commandLineError(err, "render: there is not enough memory for a picture of that size");
  QtTextRenderer text;
  if (!drawGraphPicture(container, frame, &text))
    return commandLineError(err, "render: the picture could not be drawn");
  if (!imageOf(frame).save(QString::fromStdString(arguments.output), "PNG"))
    return commandLineError(err, "render: cannot write '" + arguments.output + "'");
  return 0;
}

} // namespace vexmar
