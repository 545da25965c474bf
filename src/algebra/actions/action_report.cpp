#include "algebra/actions/action_report.h"

#include "model/object_kind.h"
#include "typeset/face_encoding.h"

#include <array>

namespace vexmar {
namespace {

struct MessageRow {
  ActionOutcome outcome;
  bool onlyWhenUnchanged; ///< explains a command that did nothing
  const char* text;       ///< "{}" stands for the report's detail
};

constexpr std::array<MessageRow, 9> kMessages = {{
    {ActionOutcome::FreeLetters, true, "Nothing to evaluate: the selection has free letters ({})"},
    {ActionOutcome::NotInEquation, true,
     "Nothing to isolate: the selection is not in an equation with two sides"},
    {ActionOutcome::NoInverse, true, "Can't isolate: the operation now selected cannot be undone"},
    {ActionOutcome::AlreadyIsolated, true, "Already isolated: the selection is alone on the left"},
    {ActionOutcome::TooManyTerms, false, "Not fully expanded: a product would have more than {} terms"},
    {ActionOutcome::PowerTooHigh, false, "Not fully expanded: powers of sums above {} are left as they are"},
    {ActionOutcome::TooMuchWork, false,
     "Stopped: the result would be too large to work with; nothing was changed"},
    {ActionOutcome::OutOfMemory, false, "Stopped: there is not enough memory; nothing was changed"},
    {ActionOutcome::TooManyItems, false,
     "Stopped: one object would hold more than 10000 items; nothing was changed"},
}};

const MessageRow* findMessage(ActionOutcome outcome) {
  for (const MessageRow& row : kMessages)
    if (row.outcome == outcome) return &row;
  return nullptr;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

} // namespace

ActionReport settledReport(ActionReport report, bool changed) {
  const MessageRow* row = findMessage(report.outcome);
  if (changed && !report.workChangedNothing && row && row->onlyWhenUnchanged) return {};
  return report;
}

std::string actionMessage(const ActionReport& report) {
  const MessageRow* row = findMessage(report.outcome);
  if (!row) return {};
  std::string text = row->text;
  if (const auto at = text.find("{}"); at != std::string::npos) text.replace(at, 2, report.detail);
  return text;
}

std::string letterNames(const std::vector<std::uint16_t>& codes) {
  std::string names;
  for (const std::uint16_t code : codes) {
    if (!names.empty()) names += ", ";
    if (isSpecialCharacterCode(code))
      appendUtf8(names, unicodeOf(Face::Symbol, specialCharacter(code - kFirstSpecialCode).symbolCode));
    else if (code < 0x80)
      names += static_cast<char>(code);
    else
      names += '?';
  }
  return names;
}

} // namespace vexmar
