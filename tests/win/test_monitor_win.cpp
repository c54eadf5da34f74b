// The monitoring engine's Win32 seams: performance counters through the
// stand-in pdh.dll, and the top-level window enumeration.
#include <gtest/gtest.h>

#include <windows.h>

#include <sstream>

#include "data/data_store.h"
#include "monitor/exception_windows.h"
#include "monitor/load_sampler.h"
#include "monitor/pdh_counters_win.h"
#include "monitor/power_api_win.h"
#include "monitor/window_source_win.h"
#include "support/fake_data_services.h"
#include "support/recording_engine.h"
#include "text/text_field.h"
#include "win/support/temp_folder.h"

namespace sopora {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class CountersWin : public ::testing::Test {
 protected:
  TempFolder folder{L"counters"};
  MonitorSettings settings;
  Win32CounterApi pdh;
  EngineRecorder log;
  LoadSampler sampler{settings, pdh, log};

  void SetUp() override {
    SetEnvironmentVariableW(L"SOPORA_FAKE_PDH", folder.File(L"fakepdh.ini").c_str());
    settings.Network = settings.Disk = 1;
  }
  void TearDown() override { SetEnvironmentVariableW(L"SOPORA_FAKE_PDH", nullptr); }
  void Script(const std::string& text) { WriteFileBytes(folder.File(L"fakepdh.ini"), Bytes(text.begin(), text.end())); }
  std::vector<std::string> Calls() { return Lines(ReadFileText(folder.File(L"fakepdh.log"))); }
};

TEST_F(CountersWin, PathsAreMadeFromTheirElementsAndAddedInEnglish) {
  Script("[Processor]\r\nAdd=3221228472\r\n");  // PDH_CSTATUS_NO_COUNTER: the total is not there
  ASSERT_TRUE(sampler.SetUpCounterQueries());
  EXPECT_EQ(sampler.m_bCpuByIdleProcess, 1);
  const std::vector<std::string> expected = {
      "PdhMakeCounterPathW machine=<null> object=Processor instance=_Total parent=<null> index=4294967295 "
      "counter=% Processor Time size=1024 flags=0 -> 0",
      "PdhOpenQueryW source=<null> -> query=1 status=0",
      "PdhAddEnglishCounterW query=1 path=\\Processor(_Total)\\% Processor Time -> 3221228472",
      "PdhCloseQuery query=1",
      "PdhMakeCounterPathW machine=<null> object=Process instance=Idle parent=<null> index=4294967295 "
      "counter=% Processor Time size=1024 flags=0 -> 0",
      "PdhOpenQueryW source=<null> -> query=3 status=0",
      "PdhAddEnglishCounterW query=3 path=\\Process(Idle)\\% Processor Time -> 0",
      "PdhMakeCounterPathW machine=<null> object=TCP instance=<null> parent=<null> index=4294967295 "
      "counter=Segments/sec size=1024 flags=0 -> 0",
      "PdhOpenQueryW source=<null> -> query=5 status=0",
      "PdhAddEnglishCounterW query=5 path=\\TCP\\Segments/sec -> 0",
      "PdhMakeCounterPathW machine=<null> object=LogicalDisk instance=_Total parent=<null> index=4294967295 "
      "counter=Disk Bytes/sec size=1024 flags=0 -> 0",
      "PdhOpenQueryW source=<null> -> query=7 status=0",
      "PdhAddEnglishCounterW query=7 path=\\LogicalDisk(_Total)\\Disk Bytes/sec -> 0",
  };
  EXPECT_EQ(Calls(), expected);
}

TEST_F(CountersWin, ReadsThroughTheRealCallsAndKeepThePreviousSampleRight) {
  Script("[Processor]\r\nValue=12.5,40\r\n[TCP]\r\nValue=7\r\n[LogicalDisk]\r\nValue=1999\r\n");
  ASSERT_TRUE(sampler.SetUpCounterQueries());
  EXPECT_DOUBLE_EQ(sampler.ReadCpuLoad(), 12.5);
  EXPECT_EQ(sampler.ReadNetworkLoad(), 7);
  EXPECT_EQ(sampler.ReadDiskLoad(), 1);

  Script("[Processor]\r\nValue=12.5,40\r\nRaw=1\r\n[TCP]\r\nCollect=5\r\n");
  EXPECT_EQ(sampler.ReadCpuLoad(), -1.0);   // raw sample refused: previous stays
  EXPECT_EQ(sampler.ReadNetworkLoad(), -1); // collection refused
  Script("[Processor]\r\nValue=12.5,40\r\n");
  EXPECT_DOUBLE_EQ(sampler.ReadCpuLoad(), 40.0);

  std::vector<std::string> calculations;
  for (const std::string& line : Calls()) {
    // The processor counter is the one calculated as a double.
    const std::size_t format = line.find("format=0x200 ");
    if (line.rfind("PdhCalculate", 0) == 0 && format != std::string::npos) calculations.push_back(line.substr(format));
  }
  EXPECT_EQ(calculations, (std::vector<std::string>{
                              "format=0x200 now=1 previous=0 -> 12.5 status=0",
                              "format=0x200 now=3 previous=1 -> 40 status=0"}));
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(WindowsWin, OnlyVisibleTitledUnownedWindowsAreCollected) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = PlainWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"SoporaEnumTest";
  RegisterClassW(&windowClass);
  auto make = [](const wchar_t* title, DWORD style, HWND owner) {
    return CreateWindowExW(0, L"SoporaEnumTest", title, style, 10, 10, 200, 100, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  };
  HWND visible = make(L"Sopora 列挙テスト 表示", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
  HWND hidden = make(L"Sopora 列挙テスト 非表示", WS_OVERLAPPEDWINDOW, nullptr);
  HWND owned = make(L"Sopora 列挙テスト 所有", WS_POPUP | WS_CAPTION | WS_VISIBLE, visible);
  HWND untitled = make(L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
  ASSERT_TRUE(visible && hidden && owned && untitled);

  Win32WindowSource windows;
  std::vector<ExceptWndEntry> collected;
  EnumTopWindows(windows, collected);
  std::vector<std::pair<std::string, std::string>> ours;
  for (const ExceptWndEntry& e : collected) {
    const std::string title(TextOfField(e.title));
    if (title.rfind("Sopora 列挙テスト", 0) == 0) ours.emplace_back(title, TextOfField(e.className));
    EXPECT_FALSE(title.empty());
    EXPECT_NE(title, "Program Manager");
  }
  EXPECT_EQ(ours, (std::vector<std::pair<std::string, std::string>>{{"Sopora 列挙テスト 表示", "SoporaEnumTest"}}));
  for (HWND w : {owned, visible, hidden, untitled}) DestroyWindow(w);
}

TEST(PowerWin, TheSystemIsOfTheNtFamilyAndThePrivilegeCanBeAdjusted) {
  Win32PowerApi power;
  EXPECT_TRUE(power.IsNtPlatform());
  EXPECT_TRUE(power.AdjustPrivilege("SeShutdownPrivilege", true));
  EXPECT_TRUE(power.AdjustPrivilege("SeShutdownPrivilege", false));
  EXPECT_FALSE(power.AdjustPrivilege("SeNoSuchPrivilege", true));
}

// The capability record through the stand-in powrprof.dll: MinGW's older
// layout of it, with Modern Standby in the byte after the throttles or in
// the platform record, and a query that fails.
TEST(PowerWin, TheMachinesCapabilitiesAreReadFromTheRecord) {
  TempFolder folder(L"power capabilities");
  SetEnvironmentVariableW(L"SOPORA_FAKE_POWRPROF", folder.File(L"fakepowrprof.ini").c_str());
  struct Case {
    const char* script;
    PowerCapabilities expected;
  };
  const Case cases[] = {
      {"S3=1\r\nS4=1\r\nHiberFile=1\r\n", {true, true, true, true, false}},
      {"S1=1\r\nS3=0\r\nS4=1\r\nHiberFile=0\r\n", {true, true, true, false, false}},
      {"S3=0\r\nS4=0\r\nHiberFile=0\r\nAoAc=1\r\n", {true, false, false, false, true}},
      {"S3=0\r\nPlatform=1\r\n", {true, false, true, true, true}},
      {"Query=3221225659\r\n", {}},  // STATUS_NOT_SUPPORTED: unknown
  };
  Win32PowerApi power;
  for (const Case& c : cases) {
    const std::string script = std::string("[Capabilities]\r\n") + c.script;
    WriteFileBytes(folder.File(L"fakepowrprof.ini"), Bytes(script.begin(), script.end()));
    EXPECT_EQ(power.QueryCapabilities(), c.expected) << c.script;
  }
  SetEnvironmentVariableW(L"SOPORA_FAKE_POWRPROF", nullptr);
}

}  // namespace
}  // namespace sopora
