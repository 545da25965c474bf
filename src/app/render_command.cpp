// Ahead of every Qt header, whose keyword macros would rewrite the engine's `slots` member.
#include "numeric/numeric_state.h"

#include "app/frame_image.h"
#include "app/qt_text_renderer.h"
#include "app/typesetting_session.h"
#include "cli/active_line.h"
#include "cli/option_parser.h"
#include "cli/subcommands.h"
#include "document/animation_slider.h"
#include "document/document_graphs.h"
#include "document/document_model.h"
#include "document/document_storage.h"
#include "graph/equation_classifier.h"
#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "graph/graph_picture.h"
#include "graph/plane/graph_2d.h"
#include "graph/space/graph_space_3d.h"
#include "model/clock.h"
#include "model/object_kind.h"
#include "raster/frame_buffer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <ostream>

namespace vexmar {
namespace {

// However slow the functions, a batch run ends; the picture then shows what was computed.
constexpr std::int64_t kMaximumWorkMs = 120000;
constexpr int kMaxFrames = 10000;

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

// A number as scripts write it, with an optional factor of pi for angles: 2.5, -1e3, pi, -2pi, 0.5pi.
bool readCoordinate(std::string_view text, double& value) {
  double factor = 1.0;
  if (text.ends_with("pi")) {
    factor = std::numbers::pi;
    text.remove_suffix(2);
    if (text.empty() || text == "-" || text == "+") text = std::string_view(text == "-" ? "-1" : "1");
  }
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  value *= factor;
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// A plain finite number: no factor of pi.
bool readNumber(std::string_view text, double& value) {
  return !text.ends_with("pi") && readCoordinate(text, value);
}

// A whole count of frames from `least` to kMaxFrames; absent leaves `count` as it is.
bool readFrameCount(const ParsedOptions& parsed, std::string_view option, int least, int& count,
                    std::string& error) {
  const std::string* text = parsed.value(option);
  if (text == nullptr) return true;
  const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), count);
  if (ec == std::errc() && end == text->data() + text->size() && count >= least && count <= kMaxFrames)
    return true;
  error = "render: " + std::string(option) + " needs a whole number from " + std::to_string(least) + " to " +
          std::to_string(kMaxFrames) + " ('" + *text + "')";
  return false;
}

// LO:HI with LO < HI.
bool readInterval(std::string_view text, double& low, double& high) {
  const std::size_t colon = text.find(':');
  return colon != std::string_view::npos && readCoordinate(text.substr(0, colon), low) &&
         readCoordinate(text.substr(colon + 1), high) && low < high;
}

// The plane's ranges that --range sets, by the names scripts use.
struct RangeName {
  std::string_view name;
  Coordinate coordinate;
};

constexpr std::array<RangeName, 9> kRangeNames = {{
    {"t", Coordinate::T},
    {"r", Coordinate::R},
    {"theta", Coordinate::Theta},
    {"x", Coordinate::X},
    {"y", Coordinate::Y},
    {"z", Coordinate::Z},
    {"phi", Coordinate::Phi},
    {"u", Coordinate::U},
    {"v", Coordinate::V},
}};

struct RangeSetting {
  Coordinate coordinate;
  CoordinateRange range;
};

std::optional<RangeSetting> readRangeSetting(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view name = text.substr(0, equals);
  for (const RangeName& row : kRangeNames) {
    if (row.name != name) continue;
    CoordinateRange range;
    if (!readInterval(text.substr(equals + 1), range.min, range.max)) return std::nullopt;
    return RangeSetting{row.coordinate, range};
  }
  return std::nullopt;
}

// The region of the plane: XMIN:XMAX,YMIN:YMAX.
struct Region {
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

bool readRegion(std::string_view text, Region& region) {
  const std::size_t comma = text.find(',');
  return comma != std::string_view::npos && readInterval(text.substr(0, comma), region.xMin, region.xMax) &&
         readInterval(text.substr(comma + 1), region.yMin, region.yMax);
}

// The shortest text that reads back as the same double.
std::string numberText(double value) {
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, written.ptr);
}

// A parameter as scripts name it: a letter other than the graphing ones and e, a Greek letter's
// name as `vexmar eval` spells it (alpha), or a subscripted name (a_1).
struct ParameterSetting {
  std::string name;
  std::uint16_t code = 0; ///< the letter's character code; 0 for a subscripted name
  double value = 0.0;
};

std::optional<ParameterSetting> readParameterName(std::string_view name) {
  ParameterSetting setting;
  setting.name = std::string(name);
  if (name.size() == 1) {
    // A letter as the "Enter Parameter" dialog takes it.
    if (parameterNameProblem(name)) return std::nullopt;
    setting.code = static_cast<unsigned char>(name[0]);
    return setting;
  }
  if (const std::optional<std::uint16_t> greek = specialCharacterByName(name)) {
    if (name == "theta" || name == "phi" || name == "rho" || name == "pi") return std::nullopt;
    setting.code = *greek;
    return setting;
  }
  const std::size_t underscore = name.find('_');
  if (underscore == std::string_view::npos || underscore == 0 || underscore + 1 == name.size())
    return std::nullopt;
  return setting;
}

// NAME=VALUE, or NAME=FROM:TO for an animation (`to` then set).
std::optional<ParameterSetting> readParameterSetting(std::string_view text, double* to = nullptr) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  std::optional<ParameterSetting> setting = readParameterName(text.substr(0, equals));
  if (!setting) return std::nullopt;
  std::string_view value = text.substr(equals + 1);
  if (to) {
    const std::size_t colon = value.find(':');
    if (colon == std::string_view::npos || !readCoordinate(value.substr(colon + 1), *to)) return std::nullopt;
    value = value.substr(0, colon);
  }
  if (!readCoordinate(value, setting->value)) return std::nullopt;
  return setting;
}

// One equation of the document: typed as KEYS (-e) or read as a text form (--text).
struct EquationSource {
  std::string words;
  bool textForm = false;
};

struct RenderArguments {
  std::vector<EquationSource> equations;
  std::string open; ///< a document whose equations, settings and parameters come first
  int width = 640;
  int height = 480;
  double curveMode = 2.0;
  bool curveModeGiven = false;
  std::optional<double> resolution;
  std::optional<double> plotStyle;
  std::vector<RangeSetting> ranges;
  std::optional<Region> window;
  std::vector<ParameterSetting> parameters;
  std::optional<ParameterSetting> animateFrom; ///< the animated letter and its first value
  double animateTo = 0.0;
  int frames = 0; ///< 0: one picture, no animation
  std::optional<int> colourCode;
  int spinFrames = 0;
  std::optional<std::pair<double, double>> view; ///< azimuth and elevation in degrees
  int benchFrames = 0;
  std::string output;
  TypingHabits habits;
};

bool readRenderArguments(const std::vector<std::string>& args, RenderArguments& out, std::string& error) {
  static constexpr OptionRow kOptions[] = {{"-e", "KEYS", Occurs::Repeatable},
                                           {"--text", "TREE", Occurs::Repeatable},
                                           {"--open", "FILE.grf"},
                                           {"--size", "WxH"},
                                           {"--curve-mode", "0|1|2"},
                                           {"--range", "NAME=LO:HI", Occurs::Repeatable},
                                           {"--window", "XMIN:XMAX,YMIN:YMAX"},
                                           {"--resolution", "A"},
                                           {"--param", "NAME=VALUE,...", Occurs::Repeatable},
                                           {"--animate", "NAME=FROM:TO"},
                                           {"--frames", "N"},
                                           {"--style", "1|2|3"},
                                           {"--colour", "INDEX"},
                                           {"--view", "AZIMUTH,ELEVATION"},
                                           {"--spin-frames", "N"},
                                           {"--bench-frames", "N"},
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
  if (const std::string* open = parsed.value("--open")) out.open = *open;
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
    out.curveModeGiven = true;
  }
  for (const std::string& text : parsed.values("--range")) {
    const std::optional<RangeSetting> setting = readRangeSetting(text);
    if (!setting) {
      error = "render: --range needs NAME=LO:HI with NAME t, r, theta, x, y, z, phi, u or v and numbers LO < "
              "HI ('" +
              text + "')";
      return false;
    }
    out.ranges.push_back(*setting);
  }
  if (const std::string* window = parsed.value("--window")) {
    Region region;
    if (!readRegion(*window, region)) {
      error = "render: --window needs XMIN:XMAX,YMIN:YMAX with numbers XMIN < XMAX and YMIN < YMAX ('" +
              *window + "')";
      return false;
    }
    out.window = region;
  }
  if (const std::string* resolution = parsed.value("--resolution")) {
    double value = 0.0;
    if (!readNumber(*resolution, value) || value < 0.0 || value > 1.0) {
      error = "render: --resolution needs a number from 0 to 1 ('" + *resolution + "')";
      return false;
    }
    out.resolution = value;
  }
  for (const std::string& list : parsed.values("--param")) {
    const bool read = forEachListItem(list, [&](std::string_view item) {
      const std::optional<ParameterSetting> setting = readParameterSetting(item);
      if (!setting) {
        error =
            "render: --param needs NAME=VALUE,... with NAME a parameter (a letter other than x, y, z, r, t, "
            "u, v and e, a Greek letter's name such as alpha, or a name such as a_1) and VALUE a finite "
            "number ('" +
            std::string(item) + "')";
        return false;
      }
      out.parameters.push_back(*setting);
      return true;
    });
    if (!read) return false;
  }
  const std::string* animate = parsed.value("--animate");
  const std::string* frames = parsed.value("--frames");
  if ((animate == nullptr) != (frames == nullptr)) {
    error = "render: --animate and --frames go together";
    return false;
  }
  if (animate) {
    out.animateFrom = readParameterSetting(*animate, &out.animateTo);
    if (!out.animateFrom || out.animateFrom->code == 0) {
      error = "render: --animate needs NAME=FROM:TO with NAME a letter or a Greek letter's name that is a "
              "parameter, and numbers FROM and TO ('" +
              *animate + "')";
      return false;
    }
    if (!readFrameCount(parsed, "--frames", 1, out.frames, error)) return false;
  }
  if (!readFrameCount(parsed, "--spin-frames", 0, out.spinFrames, error) ||
      !readFrameCount(parsed, "--bench-frames", 1, out.benchFrames, error))
    return false;
  if (const std::string* colour = parsed.value("--colour")) {
    int code = 0;
    const auto [end, ec] = std::from_chars(colour->data(), colour->data() + colour->size(), code);
    if (ec != std::errc() || end != colour->data() + colour->size() || code < 1 || code > 16 || code == 9) {
      error = "render: --colour needs a colour from 1 to 8 or a pattern from 10 to 16 ('" + *colour + "')";
      return false;
    }
    out.colourCode = code;
  }
  if (const std::string* view = parsed.value("--view")) {
    const std::size_t comma = view->find(',');
    double azimuth = 0.0;
    double elevation = 0.0;
    if (comma == std::string::npos || !readNumber(std::string_view(*view).substr(0, comma), azimuth) ||
        !readNumber(std::string_view(*view).substr(comma + 1), elevation) || std::abs(elevation) > 90.0) {
      error =
          "render: --view needs AZIMUTH,ELEVATION in degrees, the elevation from -90 to 90 ('" + *view + "')";
      return false;
    }
    out.view = std::pair{azimuth, elevation};
  }
  if (const std::string* style = parsed.value("--style")) {
    if (*style != "1" && *style != "2" && *style != "3") {
      error = "render: --style needs 1 (surface), 2 (density) or 3 (contour) ('" + *style + "')";
      return false;
    }
    out.plotStyle = (*style)[0] - '0';
  }
  out.output = *parsed.value("-o");
  return true;
}

// The file of frame `index` (from 1) of an animation written to PREFIX.
std::string frameFile(const std::string& prefix, int index) {
  char number[16];
  std::snprintf(number, sizeof number, "-%04d.png", index);
  return prefix + number;
}

// The line of each equation, and the region shown when --window asked for one.
void printStatuses(CGraphContainer& container, DocumentModel& document, const RenderArguments& arguments,
                   std::ostream& out) {
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
  if (arguments.window) {
    // The region the plane shows: from the left and bottom edges, one window's width and height on.
    const CGraphPlane& plane = container.plane();
    const PlaneSettings& shown = plane.settings();
    const double unitsPerPixel = plane.mapping().unitsPerPixelY;
    out << "window: " << numberText(shown.xMin) << ' '
        << numberText(shown.xMin + arguments.width * unitsPerPixel) << ' ' << numberText(shown.yMin) << ' '
        << numberText(shown.yMin + arguments.height * unitsPerPixel) << '\n';
  }
}

} // namespace

int runRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  RenderArguments arguments;
  std::string error;
  if (!readRenderArguments(args, arguments, error)) return commandLineError(err, error);

  TypesettingSession session;
  DocumentModel document;
  const PixelRect rect{0, 0, arguments.height, arguments.width};
  CGraphContainer container(rect);
  if (!arguments.open.empty()) {
    const std::optional<std::vector<std::uint8_t>> bytes = readFileArgument("render", arguments.open, err);
    if (!bytes) return kUsageError;
    const GrfReadResult read = readGrf(*bytes);
    if (!read.document) return commandLineError(err, "render: " + arguments.open + ": " + read.error);
    AnimationSlider animation;
    std::vector<std::uint8_t> textures;
    DocumentParts parts{document, numericState().parameters, animation, textures, &container};
    if (const std::optional<std::string> failed = applyDocument(*read.document, parts))
      return commandLineError(err, "render: " + arguments.open + ": " + *failed);
    // The opened document's settings stand unless options below say otherwise.
    for (int i = 0; i < document.equationCount(); ++i) {
      EquationRecord& record = document.equation(i);
      if (arguments.curveModeGiven) record.curveMode = arguments.curveMode;
      if (arguments.resolution) record.resolutionA = *arguments.resolution;
      if (arguments.plotStyle) record.plotStyle = *arguments.plotStyle;
      if (arguments.colourCode) record.colourCode = *arguments.colourCode;
    }
  }
  for (std::size_t i = 0; i < arguments.equations.size(); ++i) {
    ActiveLine active(arguments.habits);
    const EquationSource& source = arguments.equations[i];
    if (source.textForm ? !active.startFromText(source.words, error) : !active.typeKeys(source.words, error))
      return commandLineError(err, "render: equation " + std::to_string(document.equationCount() + 1) + ": " +
                                       error);
    EquationRecord& record = document.addEquation(document.equationCount() - 1);
    record.insertionPoint->setRoot(cloneTree(*active.line().root));
    record.curveMode = arguments.curveMode;
    if (arguments.resolution) record.resolutionA = *arguments.resolution;
    if (arguments.plotStyle) record.plotStyle = *arguments.plotStyle;
    if (arguments.colourCode) record.colourCode = *arguments.colourCode;
  }

  // Each space takes the ranges it holds; the plane's x and y come from --window instead.
  CGraphPlane& plane = container.plane();
  CGraphSpace3D& space = container.space3D();
  for (const RangeSetting& setting : arguments.ranges) {
    const int index = static_cast<int>(setting.coordinate);
    plane.setRange(index, false, setting.range.min);
    plane.setRange(index, true, setting.range.max);
    space.setRange(index, false, setting.range.min);
    space.setRange(index, true, setting.range.max);
  }
  if (const std::optional<Region>& region = arguments.window;
      region && !plane.showRegion(region->xMin, region->xMax, region->yMin, region->yMax))
    return commandLineError(err, "render: the window cannot be shown within the range of doubles");
  NumericState& numbers = numericState();
  for (const ParameterSetting& p : arguments.parameters) {
    numbers.parameters.set(p.name, numberText(p.value));
    if (p.code != 0 && static_cast<double>(p.code) == numbers.animatedVariable)
      numbers.animationValue = p.value;
  }
  if (const std::optional<ParameterSetting>& animated = arguments.animateFrom) {
    // The animated letter is read live by the programs: no graph compiles again between frames.
    numbers.animatedVariable = animated->code;
    numbers.animationValue = animated->value;
  }
  rebuildAllGraphs(container, document);
  // A value nothing reads would go unnoticed.
  for (const ParameterSetting& p : arguments.parameters) {
    const Parameter* listed = numbers.parameters.find(p.name);
    if (!listed || !listed->inUse)
      return commandLineError(err, "render: --param " + p.name + ": no equation has a parameter " + p.name);
  }
  if (const std::optional<ParameterSetting>& animated = arguments.animateFrom) {
    const Parameter* listed = numbers.parameters.find(animated->name);
    if (!listed || !listed->inUse)
      return commandLineError(err, "render: --animate " + animated->name + ": no equation has a parameter " +
                                       animated->name);
  }

  if (!container.is3DActive()) {
    for (const RangeSetting& setting : arguments.ranges)
      if (!coordinateRow(static_cast<int>(setting.coordinate))->heldByPlane)
        return commandLineError(
            err, "render: --range " +
                     std::string(kCoordinateTable[static_cast<std::size_t>(setting.coordinate)].name) +
                     ": the plane has no such range; only graphs in space use it");
    if (arguments.view || arguments.spinFrames > 0)
      return commandLineError(err, std::string("render: ") + (arguments.view ? "--view" : "--spin-frames") +
                                       ": only graphs in space turn; no equation here is drawn in space");
  }

  FrameBuffer frame;
  if (!frame.resize(arguments.width, arguments.height, container.is3DActive()))
    return commandLineError(err, "render: there is not enough memory for a picture of that size");
  QtTextRenderer text;
  Clock& clock = steadyClock();
  const int frameCount = std::max(arguments.frames, 1);
  for (int index = 0; index < frameCount; ++index) {
    if (const std::optional<ParameterSetting>& animated = arguments.animateFrom; animated && index > 0) {
      const double value =
          animated->value + (arguments.animateTo - animated->value) * index / std::max(frameCount - 1, 1);
      applyParameterValue(animated->code, value);
      container.parameterChanged(animated->code, value);
    }
    const std::int64_t end = clock.nowMs() + kMaximumWorkMs;
    while (!container.allComplete() && clock.nowMs() < end) container.work(100);
    if (index == 0) {
      printStatuses(container, document, arguments, out);
      // The view is set once the graphs are complete, so no spin step of theirs turns it.
      if (arguments.view) space.setViewAngles(arguments.view->first, arguments.view->second);
      // Each computing step of complete graphs is one spin step.
      for (int step = 0; step < arguments.spinFrames; ++step) container.work(0);
    }
    const std::string file = arguments.frames > 0 ? frameFile(arguments.output, index + 1) : arguments.output;
    if (!drawGraphPicture(container, frame, &text))
      return commandLineError(err, "render: the picture could not be drawn");
    if (!imageOf(frame).save(QString::fromStdString(file), "PNG"))
      return commandLineError(err, "render: cannot write '" + file + "'");
  }
  if (arguments.benchFrames > 0) {
    // As the window draws a turning picture: a spin step, then a frame.
    const auto start = std::chrono::steady_clock::now();
    for (int index = 0; index < arguments.benchFrames; ++index) {
      container.work(0);
      if (!drawGraphPicture(container, frame, &text))
        return commandLineError(err, "render: the picture could not be drawn");
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    char line[64];
    std::snprintf(line, sizeof line, "frames %d ms-per-frame %.3f\n", arguments.benchFrames,
                  spent.count() / arguments.benchFrames);
    out << line;
  }
  return 0;
}

} // namespace vexmar
