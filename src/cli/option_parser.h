#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexmar {

/// How often an option may appear on one command line.
enum class Occurs : unsigned char {
  Optional,   ///< may be left out; a later value replaces an earlier one
  Repeatable, ///< any number of times; every value is kept, in order
  Required,   ///< must be given; a later value replaces an earlier one
};

/// One option a subcommand accepts.
struct OptionRow {
  // A constructor rather than an aggregate so that a flag's row can be just its name.
  constexpr OptionRow(std::string_view name, std::string_view valueName = {},
                      Occurs occurs = Occurs::Optional)
      : name(name), valueName(valueName), occurs(occurs) {}

  std::string_view name;      ///< as typed: "--start", "-o"
  std::string_view valueName; ///< names the value in messages ("TEXT", "FILE.png"); empty for a flag
  Occurs occurs;
};

/// What a subcommand accepts after its name.
struct CommandSyntax {
  std::string_view command; ///< starts every message: "type: ..."
  std::span<const OptionRow> options;
  std::span<const std::string_view> positionals; ///< all required, in order ("KEYS")
};

/// A command line split into options and positionals, or the message saying why it could not be.
struct ParsedOptions {
  std::span<const OptionRow> options;                          ///< the table it was read with
  std::vector<std::pair<std::string_view, std::string>> given; ///< name and value, in order (flags: "")
  std::vector<std::string> positionals;
  std::string error; ///< "COMMAND: ..." without "vexmar: "; empty on success

  /// Whether `option` (a name in the table) was given.
  [[nodiscard]] bool has(std::string_view option) const;
  /// The value given to a non-repeating `option`; null when it was not given.
  [[nodiscard]] const std::string* value(std::string_view option) const;
  /// Every value given to `option`, in the order given.
  [[nodiscard]] std::vector<std::string> values(std::string_view option) const;
};

/// Splits `args` (the words after the subcommand's name) by `syntax`. An option's value is the
/// next word, taken as it is even when it begins '-'. Any other word of two or more characters that
/// begins '-' is an option, known or not, up to a "--", after which every word is a positional. A flag given
/// twice counts once; a later value of an option that is not Repeatable replaces the earlier one.
[[nodiscard]] ParsedOptions parseOptions(const std::vector<std::string>& args, const CommandSyntax& syntax);

/// Splits a list option's value "a=1,b=2" into its items, each passed to `item`; false at the
/// first item `item` refuses.
template <typename Item> bool forEachListItem(std::string_view list, Item item) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    if (!item(list.substr(0, comma))) return false;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return true;
}

} // namespace vexmar
