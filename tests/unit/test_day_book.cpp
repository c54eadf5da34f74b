// SoporaDays.csv: its exact bytes, and the files that are not a day book.
#include <gtest/gtest.h>

#include "data/day_book.h"

namespace sopora {
namespace {

const std::string HEADER =
    "Date,Paused,Monitored,Standby,Hibernation,Off,OtherSleep,HeldByLoad,"
    "HeldByInput,HeldByExceptionWindow,"
    "HeldByOtherSession,HeldByProgramRequest,HeldBySound\r\n";

TEST(DayBookFileTest, IsUtf8WithBomHeaderAndOneCrlfRowPerDay) {
  DayRow row{{2026, 12, 9}};
  row[DayColumn::Monitored] = 600;
  row[DayColumn::Standby] = 480;
  row[DayColumn::HeldBySound] = 7;
  const std::string bytes = FormatDayBook({DayRow{{2026, 2, 28}}, row});
  EXPECT_EQ(bytes, "\xEF\xBB\xBF" + HEADER +
                       "2026-02-28,0,0,0,0,0,0,0,0,0,0,0,0\r\n" +
                       "2026-12-09,0,600,480,0,0,0,0,0,0,0,0,7\r\n");
  EXPECT_EQ(ParseDayBook(bytes), (DayBook{DayRow{{2026, 2, 28}}, row}));
}

TEST(DayBookFileTest, KeepsTheLast400Days) {
  DayBook book;
  for (int i = 0; i < 401; ++i)
    book.push_back(DayRow{{2000 + i / 336, 1 + i / 28 % 12, 1 + i % 28}});
  const DayBook read = ParseDayBook(FormatDayBook(book)).value();
  ASSERT_EQ(read.size(), 400u);
  EXPECT_EQ(read.front(), book[1]);
}

TEST(DayBookFileTest, RefusesWhatItDidNotWrite) {
  const std::string row = "2026-12-09,1,2,3,4,5,6,7,8,9,10,11,12\r\n";
  std::string spreadsheetSave = HEADER + row; // LF line ends, no BOM
  std::erase(spreadsheetSave, '\r');
  EXPECT_TRUE(ParseDayBook(spreadsheetSave));
  for (const std::string &bytes :
       {std::string(), "Date,Paused\r\n" + row, HEADER + row + row,
        HEADER + "2026-12-10,1,2\r\n",
        HEADER + "2026-02-29,0,0,0,0,0,0,0,0,0,0,0,0\r\n",
        HEADER + "2026-12-09,-1,0,0,0,0,0,0,0,0,0,0,0\r\n",
        HEADER + "2026-12-09, 1,0,0,0,0,0,0,0,0,0,0,0\r\n",
        HEADER + "2026-12-09,1,2,3,4,5,6,7,8,9,10,11,12",
        HEADER + "2026-12-10,0,0,0,0,0,0,0,0,0,0,0,0\r\n" + row}) {
    EXPECT_FALSE(ParseDayBook(bytes)) << bytes;
  }
}

} // namespace
} // namespace sopora
