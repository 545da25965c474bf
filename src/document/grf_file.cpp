#include "document/grf_file.h"

#include "document/animation_slider.h"
#include "document/equation_record.h"
#include "text/object_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexmar {
namespace {

constexpr std::array<std::uint8_t, 16> kMagic = {0, 1, 2, 3, 4, 'V', 'E', 'X', 'M', 'A', 'R', 4, 3, 2, 1, 0};
constexpr std::size_t kEquationFixedBytes = 60;
constexpr std::size_t kParameterFixedBytes = 16;
constexpr std::size_t kParameterRecordHead = 16;
constexpr std::size_t kGraphSettingsChunkBytes = 432;
constexpr std::size_t kTextureFixedBytes = 16;
constexpr std::size_t kTextureRecordHead = 8;
constexpr std::size_t kBitmapHeaderBytes = 40;
constexpr std::size_t kAnimationChunkBytes = 36;
constexpr std::size_t kPreferencesFixedBytes = 28;
constexpr std::size_t kMaxTypefaceLength = 64;
constexpr std::int32_t kMaxBitmapSide = 16384;

// ---- writing ----

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void putI32(std::vector<std::uint8_t>& out, std::int32_t value) {
  putU32(out, static_cast<std::uint32_t>(value));
}
void putF64(std::vector<std::uint8_t>& out, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}
void putTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) { out.insert(out.end(), tag, tag + 4); }
void putZeros(std::vector<std::uint8_t>& out, std::size_t count) { out.insert(out.end(), count, 0); }

// A chunk header whose total size is patched in once the chunk is complete.
std::size_t beginChunk(std::vector<std::uint8_t>& out, const char (&tag)[5], std::uint32_t fixedBytes) {
  const std::size_t start = out.size();
  putTag(out, tag);
  putU32(out, 0);
  putU32(out, fixedBytes);
  return start;
}
void endChunk(std::vector<std::uint8_t>& out, std::size_t start) {
  const auto total = static_cast<std::uint32_t>(out.size() - start);
  for (int i = 0; i < 4; ++i) out[start + 4 + i] = static_cast<std::uint8_t>(total >> (8 * i));
}

void writeEquation(std::vector<std::uint8_t>& out, const GrfEquation& equation) {
  // The text area: the text, its NUL and padding, a whole number of 8-byte units.
  const std::size_t area = equation.text.size() / 8 * 8 + 8;
  const std::size_t start = beginChunk(out, "EQN1", kEquationFixedBytes);
  putU32(out, static_cast<std::uint32_t>(area - equation.text.size()));
  putZeros(out, 4);
  putF64(out, equation.plotStyle);
  putF64(out, equation.curveMode);
  putF64(out, equation.resolutionA);
  putF64(out, equation.colourCode);
  putF64(out, equation.resolutionB);
  out.insert(out.end(), equation.text.begin(), equation.text.end());
  putZeros(out, area - equation.text.size());
  endChunk(out, start);
}

void writeParameters(std::vector<std::uint8_t>& out, const std::vector<GrfParameter>& parameters) {
  const std::size_t start = beginChunk(out, "PAR1", kParameterFixedBytes);
  putU32(out, static_cast<std::uint32_t>(parameters.size()));
  for (const GrfParameter& p : parameters) {
    const std::size_t size = (kParameterRecordHead + p.name.size() + 1 + 3) / 4 * 4;
    putU32(out, static_cast<std::uint32_t>(size));
    putU32(out, p.on ? 1 : 0);
    putF64(out, p.value);
    out.insert(out.end(), p.name.begin(), p.name.end());
    putZeros(out, size - kParameterRecordHead - p.name.size());
  }
  endChunk(out, start);
}

// ---- reading ----

std::uint32_t getU32(std::span<const std::uint8_t> b, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
  return value;
}
std::int32_t getI32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::int32_t>(getU32(b, at));
}
std::uint16_t getU16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
double getF64(std::span<const std::uint8_t> b, std::size_t at) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(b[at + i]) << (8 * i);
  return std::bit_cast<double>(bits);
}

std::string number(double value) {
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return {text.data(), result.ptr};
}

// Tags and names shown in messages and listings: bytes outside printable ASCII as \xNN.
std::string printable(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (std::uint8_t c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      text += static_cast<char>(c);
    } else {
      constexpr char kHex[] = "0123456789abcdef";
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 15];
    }
  }
  return text;
}

bool isAsciiLetter(unsigned c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool inUnitRange(double value) { return value >= 0.0 && value <= 1.0; }

// Reads one file into `document`, appending to `listing` (when given) one line per chunk.
// Returns the problem, empty when the file is sound.
class GrfParser {
public:
  GrfParser(std::span<const std::uint8_t> bytes, GrfDocument& document, std::string* listing)
      : bytes_(bytes), document_(document), listing_(listing) {}

  std::string parse() {
    if (bytes_.size() < kGrfHeaderBytes) return "not a Vexmar document (shorter than its header)";
    if (!std::equal(kMagic.begin(), kMagic.end(), bytes_.begin())) return "not a Vexmar document";
    if (getU32(bytes_, 16) != kGrfHeaderBytes) return "damaged header (header size is not 32)";
    const std::uint32_t version = getU32(bytes_, 24);
    if (version > kGrfVersion)
      return "made by a newer version of Vexmar (format " + std::to_string(version) + ", this one reads " +
             std::to_string(kGrfVersion) + ")";
    if (version != kGrfVersion) return "unsupported format version " + std::to_string(version);
    line("version " + std::to_string(version));

    std::size_t at = kGrfHeaderBytes;
    while (at < bytes_.size()) {
      const std::size_t remaining = bytes_.size() - at;
      const std::string where = "at byte " + std::to_string(at);
      if (remaining < kGrfChunkHeaderBytes) return "truncated chunk header " + where;
      const std::uint32_t total = getU32(bytes_, at + 4);
      const std::string tag = printable(bytes_.subspan(at, 4));
      // A size below the header would never move on; one past the end would read beyond it.
      if (total < kGrfChunkHeaderBytes)
        return "chunk " + tag + " " + where + " has a bad size " + std::to_string(total);
      if (total > remaining)
        return "chunk " + tag + " " + where + " is cut short (" + std::to_string(total) + " bytes, " +
               std::to_string(remaining) + " present)";
      const std::string problem = parseChunk(bytes_.subspan(at, total), tag);
      if (!problem.empty()) return "chunk " + tag + " " + where + ": " + problem;
      at += total;
    }
    return {};
  }

private:
  void line(const std::string& text) {
    if (listing_) *listing_ += text + '\n';
  }

  std::string parseChunk(std::span<const std::uint8_t> chunk, const std::string& tag) {
    const std::string head = tag + " " + std::to_string(chunk.size());
    if (tag == "EQN1") return parseEquation(chunk, head);
    if (tag == "PAR1") return parseParameters(chunk, head);
    if (tag == "GST1") return parseGraphSettings(chunk, head);
    if (tag == "TEX1") return parseTextures(chunk, head);
    if (tag == "ANM1") return parseAnimation(chunk, head);
    if (tag == "PRF1") return parsePreferences(chunk, head);
    line(head + " skipped");
    return {};
  }

  std::string parseEquation(std::span<const std::uint8_t> chunk, const std::string& head) {
    if (chunk.size() < kEquationFixedBytes + 1) return "too short for an equation";
    const std::uint32_t slack = getU32(chunk, 12);
    const std::size_t textArea = chunk.size() - kEquationFixedBytes;
    if (slack < 1 || slack > textArea) return "bad text length";
    const std::size_t textEnd = chunk.size() - slack;
    if (chunk[textEnd] != 0) return "equation text is not terminated";
    GrfEquation e;
    e.plotStyle = getF64(chunk, 20);
    e.curveMode = getF64(chunk, 28);
    e.resolutionA = getF64(chunk, 36);
    e.colourCode = getF64(chunk, 44);
    e.resolutionB = getF64(chunk, 52);
    e.text.assign(chunk.begin() + kEquationFixedBytes, chunk.begin() + static_cast<std::ptrdiff_t>(textEnd));
    if (e.plotStyle != 1.0 && e.plotStyle != 2.0 && e.plotStyle != 3.0)
      return "plot style " + number(e.plotStyle) + " is not 1, 2 or 3";
    if (!isColourCodeValid(e.colourCode)) return "colour code " + number(e.colourCode) + " is not valid";
    if (!inUnitRange(e.resolutionA) || !inUnitRange(e.resolutionB)) return "resolution outside 0 to 1";
    const ObjectTextReadResult tree = readObjectTextChecked(e.text);
    if (!tree.object)
      return "equation text does not read (" + tree.message + " at offset " + std::to_string(tree.offset) +
             ")";
    line(head + " style " + number(e.plotStyle) + " mode " + number(e.curveMode) + " resA " +
         number(e.resolutionA) + " colour " + number(e.colourCode) + " resB " + number(e.resolutionB) +
         " text " + printable({reinterpret_cast<const std::uint8_t*>(e.text.data()), e.text.size()}));
    document_.equations.push_back(std::move(e));
    return {};
  }

  std::string parseParameters(std::span<const std::uint8_t> chunk, const std::string& head) {
    if (chunk.size() < kParameterFixedBytes) return "too short for parameters";
    const std::uint32_t count = getU32(chunk, 12);
    std::string text = head + " count " + std::to_string(count);
    std::size_t at = kParameterFixedBytes;
    // The count is only trusted record by record, each checked against the chunk.
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t remaining = chunk.size() - at;
      if (remaining < kParameterRecordHead + 1) return "parameter " + std::to_string(i + 1) + " is cut short";
      const std::uint32_t size = getU32(chunk, at);
      if (size < kParameterRecordHead + 1 || size > remaining)
        return "parameter " + std::to_string(i + 1) + " has a bad size " + std::to_string(size);
      const auto nameBytes = chunk.subspan(at + kParameterRecordHead, size - kParameterRecordHead);
      const auto nul = std::find(nameBytes.begin(), nameBytes.end(), std::uint8_t{0});
      if (nul == nameBytes.end()) return "parameter " + std::to_string(i + 1) + " has an unterminated name";
      GrfParameter p;
      p.name.assign(nameBytes.begin(), nul);
      p.on = getU32(chunk, at + 4) != 0;
      p.value = getF64(chunk, at + 8);
      at += size;
      // A bad record is left out, the others still count.
      if (p.name.empty() || !isAsciiLetter(static_cast<unsigned char>(p.name[0])) ||
          !std::isfinite(p.value)) {
        text += " skipped";
        continue;
      }
      text += " " + printable({reinterpret_cast<const std::uint8_t*>(p.name.data()), p.name.size()}) + "=" +
              number(p.value) + (p.on ? " on" : " off");
      document_.parameters.push_back(std::move(p));
    }
    line(text);
    return {};
  }

  std::string parseGraphSettings(std::span<const std::uint8_t> chunk, const std::string& head) {
    // Wrong sizes make the chunk ignored, not the file refused.
    if (chunk.size() != kGraphSettingsChunkBytes || getU32(chunk, 8) != kGraphSettingsChunkBytes) {
      line(head + " ignored (wrong sizes)");
      return {};
    }
    const auto block = chunk.subspan(16, kGrfGraphSettingsBytes);
    document_.graphSettings.assign(block.begin(), block.end());
    if (listing_) line(head + describeGraphSettings(block));
    return {};
  }

  static std::string describeGraphSettings(std::span<const std::uint8_t> b) {
    std::size_t at = 0;
    auto next = [&] {
      const double value = getF64(b, at);
      at += 8;
      return number(value);
    };
    auto range = [&](const char* name) {
      std::string text = std::string(" ") + name + " ";
      text += next();
      text += ":" + next();
      return text;
    };
    std::string text = " plane";
    for (const char* name : {"t", "r", "theta"}) text += range(name);
    text += " scale " + next();
    text += " origin " + next();
    text += "," + next();
    text += " units " + next();
    text += "," + next();
    text += " min " + next();
    text += "," + next();
    text += " tick " + std::to_string(getI32(b, at));
    at += 4;
    text += " space";
    for (const char* name : {"spin", "orientation"}) {
      text += std::string(" ") + name;
      for (int i = 0; i < 9; ++i) text += (i ? "," : " ") + next();
    }
    for (const char* name : {"t", "u", "v", "x", "y", "z", "r", "spare", "theta", "phi"}) text += range(name);
    text += " spinning " + std::to_string(getU32(b, at));
    return text;
  }

  // A record must make a bitmap: a 40-byte header of a plain (uncompressed) bitmap whose colour
  // table and bits fit in the record.
  static std::string checkTexture(std::span<const std::uint8_t> record, std::string& description) {
    const std::span<const std::uint8_t> h = record.subspan(kTextureRecordHead);
    if (getU32(h, 0) != kBitmapHeaderBytes) return "bitmap header size is not 40";
    const std::int32_t width = getI32(h, 4);
    const std::int32_t height = getI32(h, 8);
    const std::uint16_t planes = getU16(h, 12);
    const std::uint16_t bits = getU16(h, 14);
    const std::uint32_t compression = getU32(h, 16);
    const std::uint32_t imageSize = getU32(h, 20);
    if (width <= 0 || width > kMaxBitmapSide || height == 0 || height < -kMaxBitmapSide ||
        height > kMaxBitmapSide)
      return "bitmap size " + std::to_string(width) + "x" + std::to_string(height) + " is not usable";
    if (planes != 1 || compression != 0) return "bitmap is not a plain bitmap";
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
      return "bitmap bit count " + std::to_string(bits) + " is not usable";
    const std::uint64_t colours = bits <= 8 ? std::uint64_t{1} << bits : 0;
    const std::uint64_t image =
        imageSize != 0
            ? imageSize
            : (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(std::abs(height)) * bits + 7) /
                  8;
    if (kTextureRecordHead + kBitmapHeaderBytes + 4 * colours + image > record.size())
      return "bitmap bits do not fit in their record";
    description = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bits);
    return {};
  }

  std::string parseTextures(std::span<const std::uint8_t> chunk, const std::string& head) {
    if (chunk.size() < kTextureFixedBytes) return "too short for textures";
    const std::uint32_t count = getU32(chunk, 12);
    if (count > kGrfTextureSlots)
      return std::to_string(count) + " textures, more than the " + std::to_string(kGrfTextureSlots) +
             " slots";
    std::string text = head + " count " + std::to_string(count);
    std::size_t at = kTextureFixedBytes;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::string which = "texture " + std::to_string(i + 1) + ": ";
      const std::size_t remaining = chunk.size() - at;
      if (remaining < kTextureRecordHead + kBitmapHeaderBytes) return which + "cut short";
      if (printable(chunk.subspan(at, 4)) != "TEXS") return which + "no TEXS tag";
      const std::uint32_t size = getU32(chunk, at + 4);
      if (size < kTextureRecordHead + kBitmapHeaderBytes || size % 8 != 0 || size > remaining)
        return which + "bad record size " + std::to_string(size);
      std::string description;
      const std::string problem = checkTexture(chunk.subspan(at, size), description);
      if (!problem.empty()) return which + problem;
      text += " TEXS " + std::to_string(size) + " " + description;
      at += size;
    }
    line(text);
    // Kept whole so that it is written back byte for byte, trailing bytes included.
    document_.textures.assign(chunk.begin() + kGrfChunkHeaderBytes, chunk.end());
    return {};
  }

  std::string parseAnimation(std::span<const std::uint8_t> chunk, const std::string& head) {
    if (chunk.size() != kAnimationChunkBytes) return "size is not 36";
    GrfAnimation a;
    a.highest = getI32(chunk, 12);
    a.lowest = getI32(chunk, 16);
    a.steps = getI32(chunk, 20);
    a.value = getF64(chunk, 24);
    a.letter = getI32(chunk, 32);
    constexpr int kLimit = SliderSettings::kValueLimit;
    if (a.steps < 1 || a.steps > SliderSettings::kMaxSteps)
      return "number of steps " + std::to_string(a.steps) + " is not 1 to " +
             std::to_string(SliderSettings::kMaxSteps);
    if (a.highest < -kLimit || a.highest > kLimit || a.lowest < -kLimit || a.lowest > kLimit ||
        a.highest < a.lowest)
      return "slider range " + std::to_string(a.lowest) + " to " + std::to_string(a.highest) +
             " is not usable";
    const unsigned low = static_cast<std::uint32_t>(a.letter) & 0xFFu;
    if (!isAsciiLetter(low)) return "animated variable is not a letter";
    line(head + " highest " + std::to_string(a.highest) + " lowest " + std::to_string(a.lowest) + " steps " +
         std::to_string(a.steps) + " value " + number(a.value) + " letter " +
         std::string(1, static_cast<char>(low)));
    document_.animation = a;
    return {};
  }

  std::string parsePreferences(std::span<const std::uint8_t> chunk, const std::string& head) {
    if (chunk.size() < kPreferencesFixedBytes + 1) return "too short for preferences";
    const auto nameBytes = chunk.subspan(kPreferencesFixedBytes);
    const auto nul = std::find(nameBytes.begin(), nameBytes.end(), std::uint8_t{0});
    if (nul == nameBytes.end()) return "typeface name is not terminated";
    if (static_cast<std::size_t>(nul - nameBytes.begin()) > kMaxTypefaceLength)
      return "typeface name longer than 64 characters";
    GrfPreferences p;
    p.sigFigs = getI32(chunk, 12);
    p.mainFontSize = getU32(chunk, 16);
    p.firstScriptSize = getU32(chunk, 20);
    p.secondScriptSize = getU32(chunk, 24);
    p.typeface.assign(nameBytes.begin(), nul);
    line(head + " digits " + std::to_string(p.sigFigs) + " sizes " + std::to_string(p.mainFontSize) + " " +
         std::to_string(p.firstScriptSize) + " " + std::to_string(p.secondScriptSize) + " typeface " +
         printable({reinterpret_cast<const std::uint8_t*>(p.typeface.data()), p.typeface.size()}));
    document_.preferences = std::move(p);
    return {};
  }

  std::span<const std::uint8_t> bytes_;
  GrfDocument& document_;
  std::string* listing_;
};

std::string systemError(int code) { return std::strerror(code); }

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::vector<std::uint8_t> writeGrf(const GrfDocument& document) {
  std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
  putU32(out, kGrfHeaderBytes);
  putU32(out, 0);
  putU32(out, kGrfVersion);
  putU32(out, 0);
  for (const GrfEquation& equation : document.equations) writeEquation(out, equation);
  writeParameters(out, document.parameters);

  if (document.graphSettings.size() == kGrfGraphSettingsBytes) {
    const std::size_t start = beginChunk(out, "GST1", kGraphSettingsChunkBytes);
    putU32(out, 0);
    out.insert(out.end(), document.graphSettings.begin(), document.graphSettings.end());
    endChunk(out, start);
  }

  const bool usesTexture =
      std::any_of(document.equations.begin(), document.equations.end(),
                  [](const GrfEquation& e) { return e.colourCode == kTextureColourCode; });
  if (usesTexture && document.textures.size() >= 4 && getU32(document.textures, 0) > 0) {
    const std::size_t start = beginChunk(out, "TEX1", kTextureFixedBytes);
    out.insert(out.end(), document.textures.begin(), document.textures.end());
    endChunk(out, start);
  }

  const GrfAnimation animation = document.animation.value_or(GrfAnimation{});
  const std::size_t start = beginChunk(out, "ANM1", kAnimationChunkBytes);
  putI32(out, animation.highest);
  putI32(out, animation.lowest);
  putI32(out, animation.steps);
  putF64(out, animation.value);
  putI32(out, animation.letter);
  endChunk(out, start);
  return out;
}

GrfReadResult readGrf(std::span<const std::uint8_t> bytes) {
  GrfDocument document;
  std::string problem = GrfParser(bytes, document, nullptr).parse();
  if (!problem.empty()) return {std::nullopt, std::move(problem)};
  return {std::move(document), {}};
}

std::string dumpGrf(std::span<const std::uint8_t> bytes, std::string& error) {
  GrfDocument document;
  std::string listing;
  error = GrfParser(bytes, document, &listing).parse();
  return error.empty() ? listing : std::string();
}

double clampedAnimationValue(const GrfAnimation& animation) {
  const double value = animation.value;
  if (!(value >= animation.lowest && value <= animation.highest)) return animation.highest;
  return value;
}

std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string& path, std::string& error,
                                                       std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = systemError(errno);
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    error = "is a folder";
    return std::nullopt;
  }
  std::array<std::uint8_t, 65536> block{};
  for (;;) {
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      error = systemError(errno);
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > limit) {
      error = "file too large";
      ::close(fd);
      return std::nullopt;
    }
    bytes.insert(bytes.end(), block.begin(), block.begin() + got);
  }
  ::close(fd);
  return bytes;
}

std::optional<std::string> saveFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string folder = folderOf(path);
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return "cannot write in " + folder + ": " + systemError(errno);
  // The new file gets the old one's permissions, or the usual ones for a new document.
  struct stat old {};
  mode_t mode = 0666;
  if (::stat(path.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  auto fail = [&](const std::string& what) -> std::optional<std::string> {
    const int code = errno;
    ::close(fd);
    ::unlink(temporary.c_str());
    return what + ": " + systemError(code);
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("cannot write " + path);
    }
    written += static_cast<std::size_t>(n);
  }
  if (::fchmod(fd, mode) != 0) return fail("cannot set the permissions of " + path);
  if (::fsync(fd) != 0) return fail("cannot write " + path + " to the disk");
  if (::close(fd) != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    return "cannot write " + path + ": " + systemError(code);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    return "cannot replace " + path + ": " + systemError(code);
  }
  // The rename itself lasts only once the folder is on the disk too.
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

} // namespace vexmar
