// The habits of today's users, typed key by key: each row gives what the keys build with the
// habits on and with the classic typing, so a row catches both a habit that stopped working and a
// classic behaviour that changed.
#include "editor/typing_habits.h"

#include "editor/key_table.h"
#include "editor/view_keys.h"
#include "editor_fixture.h"

namespace vexmar {
namespace {

using test::EditorFixture;

struct Row {
  const char* name;
  std::u32string keys; // characters as typed; → and ← stand for the arrow keys
  const char* habits;
  const char* classic; // nullptr: the same as with the habits
};

struct TypingHabitsTest : EditorFixture {
  std::string typed(const std::u32string& keys, const TypingHabits& habits) {
    line->setRoot(makePrompt());
    resetEditorState();
    editorState().habits = habits;
    for (char32_t c : keys) {
      const int character = c == U'→'   ? KeyCharacter::Right
                            : c == U'←' ? KeyCharacter::Left
                                        : static_cast<int>(c);
      handleViewCharacter(character, 0);
    }
    return text();
  }
  void check(const Row& r) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(typed(r.keys, TypingHabits{}), r.habits);
    EXPECT_EQ(typed(r.keys, TypingHabits::classic()), r.classic ? r.classic : r.habits);
  }
};

TEST_F(TypingHabitsTest, OperatorsTypedAtTheEndOfAnExponentOrSubscriptLeaveIt) {
  const Row rows[] = {
      {"plus", U"y=x^2+1", R"(equal[char[y],plus[power[char[x],num[2,"2"]],num[1,"1"]]])",
       R"(equal[char[y],power[char[x],plus[num[2,"2"],num[1,"1"]]]])"},
      {"circle", U"x^2+y^2=1",
       R"(equal[plus[power[char[x],num[2,"2"]],power[char[y],num[2,"2"]]],num[1,"1"]])",
       R"(equal[power[char[x],plus[num[2,"2"],power[char[y],num[2,"2"]]]],num[1,"1"]])"},
      {"minus", U"x^2-1", R"(plus[power[char[x],num[2,"2"]],minus[num[1,"1"]]])",
       R"(power[char[x],plus[num[2,"2"],minus[num[1,"1"]]]])"},
      {"less than", U"x^2<4", R"(lessthan[power[char[x],num[2,"2"]],num[4,"4"]])", nullptr},
      {"a product in the exponent", U"x^2y+1", R"(plus[power[char[x],times[num[2,"2"],char[y]]],num[1,"1"]])",
       R"(power[char[x],plus[times[num[2,"2"],char[y]],num[1,"1"]]])"},
      {"a function in the exponent", U"e^sin x+1", R"(plus[power[char[e],sin[char[x]]],num[1,"1"]])",
       R"(power[char[e],plus[sin[char[x]],num[1,"1"]]])"},
      {"a scientific notation's exponent", U"2E3+1", R"(plus[sn[num[2,"2"],num[3,"3"]],num[1,"1"]])",
       R"(sn[num[2,"2"],plus[num[3,"3"],num[1,"1"]]])"},
      {"a subscript", U"a_1+b", R"(plus[indexes[1,0,char[a],num[1,"1"]],char[b]])",
       R"(plus[times[char[a],num[1,"1"]],char[b]])"},
      {"parentheses in the exponent keep it", U"x^(2+1", R"(power[char[x],id[plus[num[2,"2"],num[1,"1"]]]])",
       nullptr},
      {"a fraction in the exponent keeps it", U"e^1/x+1",
       R"(power[char[e],over[num[1,"1"],plus[char[x],num[1,"1"]]]])", nullptr},
      {"an empty exponent takes a sign", U"e^-x", R"(power[char[e],minus[char[x]]])", nullptr},
      {"a caret moved back into the exponent", U"x^2←→+1", R"(plus[power[char[x],num[2,"2"]],num[1,"1"]])",
       R"(power[char[x],plus[num[2,"2"],num[1,"1"]]])"},
  };
  for (const Row& r : rows) check(r);
}

TEST_F(TypingHabitsTest, NamesTypedAsWordsBecomeTheirObjects) {
  const Row rows[] = {
      {"log", U"y=log x", R"(equal[char[y],log[char[x]]])",
       R"(equal[char[y],times[char[l],char[o],char[g],char[x]]])"},
      {"sqrt", U"sqrt x", "sqrt[char[x]]", "times[char[s],char[q],char[r],char[t],char[x]]"},
      {"abs", U"abs x", "abs[char[x]]", "times[char[a],char[b],char[s],char[x]]"},
      {"alpha", U"alpha", "char[alpha]", "times[char[a],char[l],char[p],char[h],char[a]]"},
      {"beta, not b times eta", U"beta", "char[beta]", "times[char[b],char[e],char[t],char[a]]"},
      {"epsilon passes through psi", U"epsilon", "char[epsilon]",
       "times[char[e],char[p],char[s],char[i],char[l],char[o],char[n]]"},
      {"capital upsilon", U"Upsilon", "char[Upsilon]",
       "times[char[U],char[p],char[s],char[i],char[l],char[o],char[n]]"},
      {"capital omega", U"Omega", "char[Omega]", "times[char[O],char[m],char[e],char[g],char[a]]"},
      {"after a number", U"2omega t", R"(times[num[2,"2"],char[omega],char[t]])",
       R"(times[num[2,"2"],char[o],char[m],char[e],char[g],char[a],char[t]])"},
      {"vartheta, not var times theta", U"vartheta", "char[vartheta]",
       "times[char[v],char[a],char[r],char[theta]]"},
      {"theta always", U"theta", "char[theta]", nullptr},
      {"sin always", U"sin x", "sin[char[x]]", nullptr},
  };
  for (const Row& r : rows) check(r);
}

TEST_F(TypingHabitsTest, AnUnderscoreStartsASubscriptOnWhatPrecedesIt) {
  const Row rows[] = {
      {"a letter", U"x_1", R"(indexes[1,0,char[x],num[1,"1"]])", R"(times[char[x],num[1,"1"]])"},
      {"the last factor", U"2a_n", R"(times[num[2,"2"],indexes[1,0,char[a],char[n]]])",
       R"(times[num[2,"2"],char[a],char[n]])"},
      {"an empty line", U"_x", "indexes[1,0,prompt[],char[x]]", "char[x]"},
      {"before a letter", U"x←_a", "indexes[1,0,char[a],char[x]]", "times[char[a],char[x]]"},
  };
  for (const Row& r : rows) check(r);
}

TEST_F(TypingHabitsTest, ABarAtTheEndOfAnAbsoluteValueClosesIt) {
  const Row rows[] = {
      {"a letter", U"|x|", "abs[char[x]]", "abs[times[char[x],abs[prompt[]]]]"},
      {"then a term", U"|x|+1", R"(plus[abs[char[x]],num[1,"1"]])",
       R"(abs[times[char[x],abs[plus[prompt[],num[1,"1"]]]]])"},
      {"a sum", U"|x-1|", R"(abs[plus[char[x],minus[num[1,"1"]]]])",
       R"(abs[plus[char[x],minus[times[num[1,"1"],abs[prompt[]]]]]])"},
      {"nested", U"||x||", "abs[abs[char[x]]]", "abs[abs[times[char[x],abs[abs[prompt[]]]]]]"},
      {"an empty one opens another", U"||", "abs[abs[prompt[]]]", nullptr},
  };
  for (const Row& r : rows) check(r);
}

// Unicode characters are always read: they were dropped before, so no classic behaviour needs them.
TEST_F(TypingHabitsTest, UnicodeCharactersBecomeTheirObjects) {
  const Row rows[] = {
      {"minus sign", U"y=2−x", R"(equal[char[y],plus[num[2,"2"],minus[char[x]]]])", nullptr},
      {"times and divided by", U"3×4÷5", R"(times[num[3,"3"],over[num[4,"4"],num[5,"5"]]])", nullptr},
      {"middle dot", U"a·b", "times[char[a],char[b]]", nullptr},
      {"superscripts", U"x²+y³", R"(plus[power[char[x],num[2,"2"]],power[char[y],num[3,"3"]]])", nullptr},
      {"root", U"√x", "sqrt[char[x]]", nullptr},
      {"Greek", U"α+θφπ", "plus[char[alpha],times[char[theta],char[phi],char[pi]]]", nullptr},
      {"capital Greek", U"ΔΩ", "times[char[Delta],char[Omega]]", nullptr},
      {"a capital like a Latin one", U"Α", "char[A]", nullptr},
      {"relations", U"x≤1", R"(leq[char[x],num[1,"1"]])", nullptr},
      {"at least", U"x≥1", R"(geq[char[x],num[1,"1"]])", nullptr},
      {"not equal", U"x≠1", R"(notequal[char[x],num[1,"1"]])", nullptr},
      {"plus or minus", U"±1", R"(pm[num[1,"1"]])", nullptr},
      {"infinity", U"∞", "char[infty]", nullptr},
      {"a minus sign leaves an exponent", U"x²−1", R"(plus[power[char[x],num[2,"2"]],minus[num[1,"1"]]])",
       nullptr},
      {"unknown characters are dropped", U"x✓", "char[x]", nullptr},
  };
  for (const Row& r : rows) check(r);
}

TEST_F(TypingHabitsTest, ASuperscriptIsPartOfTheTypingRun) {
  editorState().habits = TypingHabits{};
  for (char32_t c : std::u32string(U"x²+1")) handleViewCharacter(static_cast<int>(c), 0);
  ASSERT_TRUE(undo());
  EXPECT_EQ(text(), "prompt[]");
}

TEST(TypingHabits, EachHabitHasASettingAndALabel) {
  TypingHabits seen = TypingHabits::classic();
  for (const TypingHabitRow& row : typingHabitTable()) {
    SCOPED_TRACE(row.setting);
    EXPECT_FALSE(row.setting.empty());
    EXPECT_FALSE(row.label.empty());
    EXPECT_FALSE(seen.*row.field);
    seen.*row.field = true;
  }
  EXPECT_EQ(seen, TypingHabits{});
}

} // namespace
} // namespace vexmar
