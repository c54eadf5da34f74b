// CP932 <-> UTF-16 at the OS boundary.
#include <gtest/gtest.h>

#include "framework/text_win.h"

namespace sopora {
namespace {

TEST(TextWin, ConvertsBothWaysWithCodePage932) {
  struct Case {
    std::string cp932;
    std::wstring utf16;
  };
  const Case cases[] = {
      {"", L""},
      {"Sopora", L"Sopora"},
      {"監視を再開しました", L"監視を再開しました"},
      {"ソ表能", L"ソ表能"},  // trail bytes 0x5C
      {"ｷｬﾝｾﾙ", L"ｷｬﾝｾﾙ"},      // half-width katakana
      {"＊", L"＊"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WidenCp932(c.cp932), c.utf16);
    EXPECT_EQ(NarrowCp932(c.utf16), c.cp932);
  }
  EXPECT_EQ(WidenCp932("\x83\x5C"), L"ソ");
}

TEST(TextWin, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(NarrowCp932(L"caf\u00e9 \u0101\u0416"), "caf? ?\x84G");  // Cyrillic is in the code page
}

}  // namespace
}  // namespace sopora
