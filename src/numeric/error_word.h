#pragma once

#include <cstdint>
#include <string_view>

namespace vexmar {

/// A failure recorded instead of thrown; the application shows its message when idle.
using ErrorCode = std::int32_t;

namespace Error {
inline constexpr ErrorCode None = 0;
inline constexpr ErrorCode General = 1;
inline constexpr ErrorCode NeedsDisplay = 2;
inline constexpr ErrorCode IncompatibleDisplay = 3;
inline constexpr ErrorCode ScreenDepth = 4;
inline constexpr ErrorCode DrawingFailed = 5;
inline constexpr ErrorCode OutOfMemoryQuit = 6;
inline constexpr ErrorCode GraphMemory = 7;
inline constexpr ErrorCode SmoothGraphingMemory = 8;
inline constexpr ErrorCode MemoryLow = 9;
inline constexpr ErrorCode NoSymbolFont = 10;
inline constexpr ErrorCode DoubleLimits = 11;
inline constexpr ErrorCode InvalidFilename = 16;
/// What a negative code is recorded as: the general message, and not a code that ends the program.
inline constexpr ErrorCode Unknown = 32;
} // namespace Error

/// The record of raised codes: the pending one and every one raised since start-up.
struct ErrorWord {
  static constexpr int kMaskBits = 32;
  ErrorCode pending = Error::None;
  /// Bit n set once code n (1..31) has been raised.
  std::uint32_t raisedMask = 0;
  /// Codes that have no bit in the mask all show the same general message, so they share one
  /// "already raised" record instead of aliasing some other code's bit.
  bool unmaskedCodeRaised = false;
};

/// Records `code` unless it was raised before in this process or a smaller code is pending:
/// the pending code is the smallest raised since it was last taken. Codes from 32 up have no
/// bit of their own; they share one record, so only the first of them is ever shown.
void raiseError(ErrorCode code);
/// The pending code (0 for none), which is then cleared; the record of codes raised stays.
[[nodiscard]] ErrorCode takeError();
/// The pending code without taking it.
[[nodiscard]] ErrorCode pendingError();
/// The string-table id of a code's message, and the message itself.
[[nodiscard]] int errorMessageId(ErrorCode code);
[[nodiscard]] std::string_view errorMessage(ErrorCode code);

} // namespace vexmar
