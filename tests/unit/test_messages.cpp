// Messages: how a message becomes text, which language Sopora speaks, and
// the two languages' resources, which must offer the same strings, menus
// and dialogs.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "support/rc_catalog.h"
#include "text/messages.h"

namespace sopora {
namespace {

class TableCatalog : public TextCatalog {
 public:
  std::map<MessageId, std::string> texts;
  std::string Text(MessageId id) const override { return texts.count(id) ? texts.at(id) : ""; }
};

TEST(MessagesTest, FormatFillsThePlaceholders) {
  TableCatalog catalog;
  catalog.texts = {{1, "{0} failed (error code {1})"}, {2, "The shutdown"}, {3, "{0}{0} {2}"},
                   // 0x82 0x7B is one character whose trail byte is "{"; 0x95 0x5C ends in "\".
                   {4, "\x82{0}\x95\\{0}"}, {5, "{x} {} {"}};
  struct Case {
    const char* name;
    Message message;
    std::string text;
  };
  const Case cases[] = {
      {"a number and a message", {1, {MessageId{2}, std::string("5")}}, "The shutdown failed (error code 5)"},
      {"twice the same, one missing", {3, {std::string("a")}}, "aa {2}"},
      {"a trail byte is no brace", {4, {std::string("!")}}, "\x82{0}\x95\\!"},
      {"braces that are no placeholder", {5, {std::string("!")}}, "{x} {} {"},
      {"a message without a text", {9, {std::string("!")}}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Format(catalog, c.message), c.text) << c.name;
}

TEST(MessagesTest, TheSettingOverridesTheUsersLanguage) {
  constexpr unsigned JAPANESE = 0x411, ENGLISH_US = 0x409, ENGLISH_UK = 0x809, GERMAN = 0x407;
  struct Case {
    std::string setting;
    unsigned userLanguage;
    UiLanguage spoken;
  };
  const Case cases[] = {
      {"", JAPANESE, UiLanguage::Japanese},    {"", ENGLISH_US, UiLanguage::English},
      {"", GERMAN, UiLanguage::English},       {"", ENGLISH_UK, UiLanguage::English},
      {"ja", GERMAN, UiLanguage::Japanese},    {"en", JAPANESE, UiLanguage::English},
      {"fr", JAPANESE, UiLanguage::Japanese},  {"EN", JAPANESE, UiLanguage::Japanese},
      {" en", ENGLISH_US, UiLanguage::English},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseUiLanguage(c.setting, c.userLanguage), c.spoken) << "'" << c.setting << "' " << c.userLanguage;
  }
}

// Every string, menu and dialog exists in both languages with the same ids
// and controls; English texts are plain ASCII, which the CP932 log and list
// files store unchanged.
TEST(MessagesTest, BothLanguagesHaveTheSameResources) {
  const std::vector<std::string> japanese = rc::ScriptLines("ja"), english = rc::ScriptLines("en");
  const std::map<std::string, std::string> japaneseStrings = rc::StringTable(japanese);
  const std::map<std::string, std::string> englishStrings = rc::StringTable(english);
  std::set<std::string> japaneseIds, englishIds;
  for (const auto& [id, text] : japaneseStrings) japaneseIds.insert(id);
  for (const auto& [id, text] : englishStrings) {
    englishIds.insert(id);
    EXPECT_EQ(text.find_first_not_of(" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                                     "abcdefghijklmnopqrstuvwxyz{|}~\n"),
              std::string::npos)
        << id;
    EXPECT_FALSE(text.empty()) << id;
  }
  EXPECT_EQ(japaneseIds, englishIds);
  EXPECT_GT(japaneseIds.size(), 80u);  // the whole table, not a part the reader stopped at
  for (const auto& [id, text] : japaneseStrings) EXPECT_NO_THROW(rc::Cp932FromUtf8(text)) << id;

  const auto japaneseBlocks = rc::MenusAndDialogs(japanese), englishBlocks = rc::MenusAndDialogs(english);
  EXPECT_EQ(japaneseBlocks.size(), 11u);  // 3 menus, 8 dialogs
  for (const auto& [name, entries] : japaneseBlocks) {
    EXPECT_EQ(englishBlocks.count(name) ? englishBlocks.at(name) : std::vector<std::string>(), entries) << name;
  }
  EXPECT_EQ(englishBlocks.size(), japaneseBlocks.size());
}

// The placeholders of a message are the same in both languages.
TEST(MessagesTest, BothLanguagesFillTheSamePlaceholders) {
  const std::map<std::string, std::string> japanese = rc::StringTable(rc::ScriptLines("ja"));
  const std::map<std::string, std::string> english = rc::StringTable(rc::ScriptLines("en"));
  const auto placeholders = [](const std::string& text) {
    std::multiset<std::string> found;
    for (std::size_t at = text.find('{'); at != std::string::npos; at = text.find('{', at + 1)) {
      found.insert(text.substr(at, 3));
    }
    return found;
  };
  for (const auto& [id, text] : japanese) {
    if (english.count(id)) {
      EXPECT_EQ(placeholders(text), placeholders(english.at(id))) << id;
    }
  }
}

}  // namespace
}  // namespace sopora
