#include "cli/key_script.h"

#include "editor/key_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexmar {
namespace {

TEST(KeyScript, ReadsCharactersNamesModifiersAndCommands) {
  const KeyScript s =
      parseKeyScript("a{Left}{C-S-Left}{S-A-p}{S-Tab}{BS}{cmd:0x2000}{cmd:42}{lbrace}{rbrace}{C--}{Del}");
  ASSERT_TRUE(s.error.empty()) << s.error;
  ASSERT_EQ(s.strokes.size(), 12u);
  auto character = [&](std::size_t i) { return std::get<CharacterKey>(s.strokes[i].key).character; };
  auto named = [&](std::size_t i) { return std::get<NamedKey>(s.strokes[i].key).key; };
  auto command = [&](std::size_t i) { return std::get<CommandKey>(s.strokes[i].key).code; };
  EXPECT_EQ(character(0), 'a');
  EXPECT_EQ(named(1), ViewKey::Left);
  EXPECT_EQ(named(2), ViewKey::Left);
  EXPECT_EQ(s.strokes[2].modifiers, KeyModifier::Control | KeyModifier::Shift);
  EXPECT_EQ(character(3), 'p');
  EXPECT_EQ(s.strokes[3].modifiers, KeyModifier::Shift | KeyModifier::Alt);
  EXPECT_EQ(character(4), KeyCharacter::Tab);
  EXPECT_EQ(s.strokes[4].modifiers, KeyModifier::Shift);
  EXPECT_EQ(character(5), KeyCharacter::Backspace);
  EXPECT_EQ(command(6), 0x2000);
  EXPECT_EQ(command(7), 42);
  EXPECT_EQ(character(8), '{');
  EXPECT_EQ(character(9), '}');
  EXPECT_EQ(character(10), '-');
  EXPECT_EQ(s.strokes[10].modifiers, KeyModifier::Control);
  EXPECT_EQ(named(11), ViewKey::Delete);
}

TEST(KeyScript, EmptyAndNonAsciiInputAreFine) {
  EXPECT_TRUE(parseKeyScript("").strokes.empty());
  const KeyScript s = parseKeyScript("\xC3\xA9");
  ASSERT_TRUE(s.error.empty());
  EXPECT_EQ(std::get<CharacterKey>(s.strokes[0].key).character, 0xE9);
}

TEST(KeyScript, KeysAreReadAsUtf8) {
  const KeyScript s = parseKeyScript("y=2\u2212x\u00B2{C-\u03C0}\U0001D465");
  ASSERT_TRUE(s.error.empty()) << s.error;
  std::vector<int> characters;
  for (const KeyStroke& k : s.strokes) characters.push_back(std::get<CharacterKey>(k.key).character);
  EXPECT_EQ(characters, (std::vector<int>{'y', '=', '2', 0x2212, 'x', 0xB2, 0x3C0, 0x1D465}));
  EXPECT_EQ(s.strokes[6].modifiers, KeyModifier::Control);
  for (const char* bad : {"x\xC3", "\xA9", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"}) {
    SCOPED_TRACE(bad);
    const KeyScript b = parseKeyScript(bad);
    EXPECT_NE(b.error.find("UTF-8"), std::string::npos) << b.error;
    EXPECT_TRUE(b.strokes.empty());
  }
}

TEST(KeyScript, RejectsMalformedScriptsWithAMessage) {
  const char* bad[] = {
      "{Nope}",  "{",      "abc{Left",     "}",        "{}",        "{C-}",
      "{C-C-x}", "{X-a}",  "{cmd:}",       "{cmd:0x}", "{cmd:12z}", "{cmd:0x1ffffffff}",
      "{a}",     "{left}", "{Left{Right}", "{C-Nope}",
  };
  for (const char* keys : bad) {
    SCOPED_TRACE(keys);
    const KeyScript s = parseKeyScript(keys);
    EXPECT_FALSE(s.error.empty());
    EXPECT_TRUE(s.strokes.empty());
  }
}

} // namespace
} // namespace vexmar
