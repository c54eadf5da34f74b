// Which open windows count, and the exception test over the list file:
// read again only when the file changed, titles not matched twice, and
// never a match missed for it.
#include <gtest/gtest.h>

#include <cstring>

#include "data/data_store.h"
#include "monitor/exception_windows.h"
#include "support/fake_data_services.h"
#include "text/text_field.h"

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
  CDataStore store{fake.files, fake.notifier, fake.clock, fake.paths};
  ExceptionWindowDetector detector{store, fake.files, fake.paths.wndFile, fake.windows, fake.log};

  void SetList(const std::vector<std::string>& patterns) { fake.files.files[fake.paths.wndFile] = ListFile(patterns); }
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
  EXPECT_EQ(EnumTopWindows(fake.windows, collected), 4);
  std::vector<std::pair<std::string, std::string>> seen;
  for (std::size_t i = 1; i < collected.size(); ++i) {
    seen.emplace_back(TextOfField(collected[i].title), TextOfField(collected[i].className));
  }
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                      {"Untitled - Notepad", "Notepad"}, {"program manager", "Other"}, {"メモ帳 - 文書.txt", "Notepad"}}));
}

TEST_F(ExceptionWindowsTest, TheTestFollowsTheListAndMatchesTitles) {
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
    if (c.list) SetList(*c.list);
    fake.windows.enumerations = 0;
    EXPECT_EQ(detector.IsExceptWindowPresent(), c.present);
    EXPECT_EQ(fake.windows.enumerations, c.enumerations);
  }
}

TEST_F(ExceptionWindowsTest, NoQualifyingWindowMeansNoException) {
  SetList({"*"});
  fake.windows.windows = {{"Program Manager", "Progman"}};
  EXPECT_FALSE(detector.IsExceptWindowPresent());
  fake.windows.windows.push_back({"x"});
  EXPECT_TRUE(detector.IsExceptWindowPresent());
}

TEST_F(ExceptionWindowsTest, TheListIsReadAgainOnlyWhenItsFileChangedOrCouldNotBeRead) {
  fake.windows.windows = {{"Untitled - Notepad"}};
  SetList({"*Notepad"});
  EXPECT_TRUE(detector.IsExceptWindowPresent());
  // Changed, then held elsewhere: the last list holds, said once in the log.
  SetList({"*Paint"});
  fake.files.heldElsewhere.push_back(fake.paths.wndFile);
  EXPECT_TRUE(detector.IsExceptWindowPresent());
  EXPECT_TRUE(detector.IsExceptWindowPresent());
  EXPECT_TRUE(fake.notifier.shown.empty());
  EXPECT_EQ(fake.log.lines, (std::vector<std::pair<std::int32_t, MessageId>>{{LOG_WARNING, IDS_LOG_LIST_UNREADABLE}}));

  fake.files.heldElsewhere.clear();
  fake.files.reads = 0;
  EXPECT_FALSE(detector.IsExceptWindowPresent());
  EXPECT_FALSE(detector.IsExceptWindowPresent());
  EXPECT_EQ(fake.files.reads, 1);

  SetList({"*Notepad"});  // saved by the dialog: seen at the next tick
  EXPECT_TRUE(detector.IsExceptWindowPresent());
  EXPECT_EQ(fake.files.reads, 2);

  // Held for a moment (a virus scan, a backup) but unchanged: the list
  // read before still holds, and no message comes up.
  fake.files.heldElsewhere.push_back(fake.paths.wndFile);
  EXPECT_TRUE(detector.IsExceptWindowPresent());
  EXPECT_TRUE(fake.notifier.shown.empty());
}

// Titles found not to match are not matched again; each row changes one
// thing between two ticks that must still be seen.
TEST_F(ExceptionWindowsTest, KnownTitlesNeverHideAMatch) {
  struct Case {
    const char* name;
    std::vector<std::string> listBefore, listAfter;
    std::vector<std::string> titlesBefore, titlesAfter;
    bool presentAfter;
  };
  const Case cases[] = {
      {"a pattern added for an open window", {"*Paint"}, {"*Paint", "*Notepad"}, {"a - Notepad"}, {"a - Notepad"}, true},
      {"a title that changes to a matching one", {"*動画*"}, {"*動画*"}, {"ブラウザー"}, {"動画 - ブラウザー"}, true},
      {"a window that comes back", {"*Notepad"}, {"*Notepad"}, {"x"}, {"x", "a - Notepad"}, true},
      {"the matching window goes", {"*Notepad"}, {"*Notepad"}, {"a - Notepad", "x"}, {"x"}, false},
      {"the pattern removed", {"*Notepad"}, {"*Paint"}, {"a - Notepad"}, {"a - Notepad"}, false},
  };
  for (const Case& c : cases) {
    ExceptionWindowDetector fresh(store, fake.files, fake.paths.wndFile, fake.windows, fake.log);
    SetList(c.listBefore);
    fake.windows.windows.clear();
    for (const std::string& title : c.titlesBefore) fake.windows.windows.push_back({title});
    fresh.IsExceptWindowPresent();
    fresh.IsExceptWindowPresent();
    SetList(c.listAfter);
    fake.windows.windows.clear();
    for (const std::string& title : c.titlesAfter) fake.windows.windows.push_back({title});
    EXPECT_EQ(fresh.IsExceptWindowPresent(), c.presentAfter) << c.name;
  }
}

}  // namespace
}  // namespace sopora
