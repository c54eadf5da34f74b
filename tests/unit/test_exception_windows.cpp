// Which open windows count, and the exception test over the list file.
#include <gtest/gtest.h>

#include <cstring>

#include "data/data_store.h"
#include "data/text_field.h"
#include "support/fake_data_services.h"

namespace sopora {
namespace {

Bytes ListFile(const std::vector<std::string>& patterns) {
  Bytes bytes{DATA_FILE_VERSION};
  for (const std::string& p : patterns) {
    ExceptWndEntry e;
    std::memset(&e, 0, sizeof e);
    CopyTextToField(e.title, p);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&e);
    bytes.insert(bytes.end(), raw, raw + sizeof e);
  }
  return bytes;
}

class ExceptionWindowsTest : public ::testing::Test {
 protected:
  FakeDataServices fake;
  CDataStore store{fake.services};
};

TEST_F(ExceptionWindowsTest, OnlyVisibleTitledUnownedWindowsAreCollected) {
  fake.windows.windows = {
      {"Untitled - Notepad", "Notepad"},
      {"", "Untitled"},                          // no title
      {"Hidden", "Hidden", false},               // not visible
      {"Owned pop-up", "#32770", true, true},    // has a parent or owner
      {"Program Manager", "Progman"},            // the desktop
      {"Tip", "tooltips_class32"},               // a tooltip
      {"program manager", "Other"},              // compared with case
      {"メモ帳 - 文書.txt", "Notepad"},
  };
  std::vector<ExceptWndEntry> collected(1);  // appended to, not emptied
  std::memset(collected.data(), 0, sizeof(ExceptWndEntry));
  EXPECT_EQ(store.EnumTopWindows(collected), 4);
  std::vector<std::pair<std::string, std::string>> seen;
  for (std::size_t i = 1; i < collected.size(); ++i) {
    seen.emplace_back(TextOfField(collected[i].title), TextOfField(collected[i].className));
  }
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                      {"Untitled - Notepad", "Notepad"}, {"program manager", "Other"}, {"メモ帳 - 文書.txt", "Notepad"}}));
}

TEST_F(ExceptionWindowsTest, TheTestReadsTheListEveryTimeAndMatchesTitles) {
  fake.windows.windows = {{"Untitled - Notepad"}, {"Hidden player", "x", false}, {"動画 - プレーヤー"}};
  struct Case {
    std::optional<std::vector<std::string>> list;  // nullopt: no file
    bool present;
    int enumerations;
  };
  const Case cases[] = {
      {std::nullopt, false, 0},  // the file is created; nothing registered, nothing enumerated
      {std::vector<std::string>{}, false, 0},
      {std::vector<std::string>{"Notepad"}, false, 1},
      {std::vector<std::string>{"*Notepad"}, true, 1},
      {std::vector<std::string>{"*player"}, false, 1},  // hidden windows do not count
      {std::vector<std::string>{"nothing", "*プレーヤー"}, true, 1},
      {std::vector<std::string>{""}, false, 1},  // an empty pattern matches no title
  };
  for (const Case& c : cases) {
    fake.files.files.clear();
    if (c.list) fake.files.files[g_strWndFile] = ListFile(*c.list);
    fake.windows.enumerations = 0;
    EXPECT_EQ(store.IsExceptWindowPresent(), c.present);
    EXPECT_EQ(fake.windows.enumerations, c.enumerations);
  }
}

TEST_F(ExceptionWindowsTest, NoQualifyingWindowMeansNoException) {
  fake.files.files[g_strWndFile] = ListFile({"*"});
  fake.windows.windows = {{"Program Manager", "Progman"}};
  EXPECT_FALSE(store.IsExceptWindowPresent());
  fake.windows.windows.push_back({"x"});
  EXPECT_TRUE(store.IsExceptWindowPresent());
}

}  // namespace
}  // namespace sopora
