#include "numeric/error_word.h"

#include "numeric/numeric_state.h"

#include <cstdint>

namespace vexmar {
namespace {

struct ErrorMessageRow {
  ErrorCode code;
  int messageId;
  std::string_view text;
};

constexpr int kGeneralMessageId = 61455;
constexpr std::string_view kGeneralMessage = "An error has occurred.";

// Codes without a row of their own (1, 12-15, above 16, negative) share the general message.
constexpr ErrorMessageRow kErrorMessages[] = {
    {Error::NeedsDisplay, 61456, "Vexmar needs a graphical display to run.  Sorry."},
    {Error::IncompatibleDisplay, 61480, "Your display device is incompatible with Vexmar.  Sorry."},
    {Error::ScreenDepth, 61481,
     "Vexmar requires a 16, 24, or 32 bit screen depth.  Change the screen depth and try again."},
    {Error::DrawingFailed, 61482, "Drawing has failed for an unknown reason.  Vexmar must shut down."},
    {Error::OutOfMemoryQuit, 61457,
     "There is not enough memory to continue.  Vexmar will quit now to avoid crashing.  Sorry."},
    {Error::GraphMemory, 61515,
     "There is not enough memory to draw the requested graph.  Try quitting other applications."},
    {Error::SmoothGraphingMemory, 61459,
     "Sorry, there is not enough memory for smooth graphing operations.  Try quitting some other "
     "applications."},
    {Error::MemoryLow, 61458, "Memory is running low.  Quit some other applications."},
    {Error::NoSymbolFont, 61460,
     "The Symbol font is not available.  Mathematical symbols and formatting may not appear correctly.  "
     "Please install the Symbol font before using Vexmar."},
    {Error::DoubleLimits, 61462,
     "The graph exceeds the limits of IEEE 64-bit double-precision floating point values.  Choose Reset "
     "Graph from the Graph menu."},
    {Error::InvalidFilename, 61461, "That is an invalid filename"},
};

const ErrorMessageRow* findRow(ErrorCode code) {
  for (const ErrorMessageRow& row : kErrorMessages)
    if (row.code == code) return &row;
  return nullptr;
}

ErrorWord& errorWord() { return numericState().errors; }

} // namespace

void raiseError(ErrorCode code) {
  if (code == Error::None) return;
  // A negative code is a programmer slip; taking it literally would make it the most urgent
  // code and, being below 7, end the program. It is reported as an unknown code instead.
  if (code < 0) code = Error::Unknown;
  ErrorWord& word = errorWord();
  const bool hasBit = code < ErrorWord::kMaskBits;
  const std::uint32_t bit = hasBit ? std::uint32_t{1} << code : 0;
  if (hasBit ? (word.raisedMask & bit) != 0 : word.unmaskedCodeRaised) return;
  if (word.pending != Error::None && code >= word.pending) return;
  word.pending = code;
  if (hasBit)
    word.raisedMask |= bit;
  else
    word.unmaskedCodeRaised = true;
}

ErrorCode takeError() {
  ErrorWord& word = errorWord();
  const ErrorCode code = word.pending;
  word.pending = Error::None;
  return code;
}

ErrorCode pendingError() { return errorWord().pending; }

int errorMessageId(ErrorCode code) {
  if (code == Error::None) return 0;
  const ErrorMessageRow* row = findRow(code);
  return row ? row->messageId : kGeneralMessageId;
}

std::string_view errorMessage(ErrorCode code) {
  if (code == Error::None) return {};
  const ErrorMessageRow* row = findRow(code);
  return row ? row->text : kGeneralMessage;
}

} // namespace vexmar
