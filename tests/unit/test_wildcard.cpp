// The title matcher: the documented examples, and agreement with the
// recursive definition on a large random corpus.
#include <gtest/gtest.h>

#include <random>

#include "monitor/exception_windows.h"
#include "support/reference_matcher.h"

namespace sopora {
namespace {

TEST(WildcardTest, Examples) {
  struct Case {
    const char* pattern;
    const char* text;
    bool matches;
  };
  const Case cases[] = {
      {"*Notepad", "Untitled - Notepad", true},
      {"Untitled*", "Untitled - Notepad", true},
      {"Notepad", "Untitled - Notepad", false},  // the whole title must match
      {"notepad*", "Notepad", false},            // case counts
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"*", "anything at all", true},
      {"*", "", true},
      {"", "", true},
      {"", "x", false},
      {"?", "ア", false},  // one CP932 character is two bytes
      {"??", "ア", true},
      {"＊", "メモ帳", false},  // the full-width star is an ordinary character
      {"＊メモ", "＊メモ", true},
      {"*＊*", "a＊b", true},
      {"**a**", "xa", true},
      {"*a*b*c*", "aXbXc", true},
      {"*a*b*c*", "aXcXb", false},
      {"ab*", "a", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchWildcard(c.pattern, c.text), c.matches) << c.pattern << " / " << c.text;
    EXPECT_EQ(ReferenceMatchWildcard(c.pattern, c.text), c.matches) << c.pattern << " / " << c.text;
  }
}

// Random patterns and texts over a small alphabet (so that matches happen),
// with CP932 double-byte characters, the full-width star and wildcards.
TEST(WildcardTest, AgreesWithTheRecursiveDefinitionOnRandomPairs) {
  const std::vector<std::string> textPieces = {"a", "b", "A", "ア", "＊", "表", "ソ", "\\", " "};
  std::vector<std::string> patternPieces = textPieces;
  for (const char* wild : {"*", "*", "?", "**"}) patternPieces.emplace_back(wild);

  std::mt19937 random(20261208);
  auto build = [&](const std::vector<std::string>& pieces, int maxPieces) {
    std::string s;
    const int count = std::uniform_int_distribution<int>(0, maxPieces)(random);
    for (int i = 0; i < count; ++i) s += pieces[random() % pieces.size()];
    return s;
  };
  int matches = 0;
  for (int i = 0; i < 200000; ++i) {
    const std::string text = build(textPieces, 10);
    std::string pattern = (i % 3 == 0 && !text.empty()) ? text : build(patternPieces, 8);
    // Turn some bytes of a copied title into wildcards, as users do.
    if (i % 3 == 0) {
      for (char& ch : pattern) if (random() % 4 == 0) ch = (random() % 2) ? '*' : '?';
    }
    const bool expected = ReferenceMatchWildcard(pattern.c_str(), text.c_str());
    ASSERT_EQ(MatchWildcard(pattern, text), expected) << "pattern [" << pattern << "] text [" << text << "]";
    matches += expected;
  }
  EXPECT_GT(matches, 10000);  // the corpus exercises both answers
}

TEST(WildcardTest, ManyStarsAgainstALongAlmostMatchingTitleFinishQuickly) {
  const std::string pattern = "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b";
  const std::string text(259, 'a');
  EXPECT_FALSE(MatchWildcard(pattern, text));  // the recursive version would run for ages
}

}  // namespace
}  // namespace sopora
