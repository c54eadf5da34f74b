// CP932 <-> UTF-16 at the OS boundary, and the program's texts in the
// language it speaks.
#include <gtest/gtest.h>

#include "framework/text_win.h"
#include "framework/ui_language_win.h"
#include "res/resource.h"

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

// The resources store UTF-16; the Japanese texts must come back as exactly
// the CP932 bytes the log and the dialogs have always had (～ is U+FF5E,
// not the wave dash, which CP932 cannot spell), and each language's text
// must be found whatever the thread's language.
TEST(TextWin, EachLanguagesTextsComeBackExactly) {
  struct Case {
    MessageId id;
    std::string japanese, english;
  };
  const Case cases[] = {
      {IDS_TIP_INTERVAL, "CPU負荷を計測する間隔を指定します（1秒～10秒）",
       "How often the CPU load is measured (1 to 10 seconds)"},
      {IDS_LOG_HOOKS_NOT_STARTED, "I/Oフック開始失敗(入力はシステムの最終入力時刻で検知します)",
       "Input hooks not started (input is detected through the system's last input time)"},
      {IDS_LIST_CHANGED_ELSEWHERE, "例外ウィンドウの一覧がほかの Sopora で変更されています。\nこの内容で上書きしますか？",
       "Another Sopora has changed the list of exception windows.\nOverwrite it with this list?"},
      {IDS_STATUS_DISPLAY_REQUEST, "アプリの要求：ディスプレイ", "A program's request: display"},
      {IDS_REMAINING_SECONDS, "残り時間【{0}】秒", "{0} seconds left"},
      {IDS_LOG_LOAD_REPORT, "CPU={0}% NETWORK={1}KB/sec DISK={2}KB/sec)", "CPU={0}% NETWORK={1}KB/sec DISK={2}KB/sec)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResourceText(UiLanguage::Japanese).Text(c.id), c.japanese) << c.id;
    EXPECT_EQ(ResourceText(UiLanguage::English).Text(c.id), c.english) << c.id;
  }
  EXPECT_EQ(Format(ResourceText(UiLanguage::Japanese), Message(IDS_METHOD_UNAVAILABLE, {MessageId{IDS_METHOD_HIBERNATION}})),
            "休止状態（このPCでは使えません）");
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(TextWin, MenusAndDialogsComeInTheChosenLanguage) {
  struct Case {
    UiLanguage language;
    std::wstring menuItem, caption;
  };
  const Case cases[] = {{UiLanguage::English, L"Operation log", L"Sopora Operation Log"},
                        {UiLanguage::Japanese, L"動作ログ", L"Sopora動作ログﾞ"}};
  for (const Case& c : cases) {
    SetUiLanguage(c.language);
    const HMENU menu = LoadUiMenu(IDR_TRAY_MENU);
    ASSERT_NE(menu, nullptr);
    wchar_t item[64] = L"";
    GetMenuStringW(GetSubMenu(menu, 0), ID_SHOW_LOG, item, 64, MF_BYCOMMAND);
    DestroyMenu(menu);
    EXPECT_EQ(std::wstring(item), c.menuItem);
    const HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), UiDialogTemplate(IDD_LOG), nullptr,
                                                   NoDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    wchar_t caption[64] = L"";
    GetWindowTextW(dialog, caption, 64);
    DestroyWindow(dialog);
    EXPECT_EQ(std::wstring(caption), c.caption);
    EXPECT_EQ(UiString(IDS_COLUMN_TIME), c.language == UiLanguage::English ? L"Time" : L"時刻");
  }
}

}  // namespace
}  // namespace sopora
