// Any ten stored integers: after repair the timer period, the target tick
// count and the history it sizes are all usable and free of overflow.
#include <cstdlib>
#include <cstring>

#include "data/monitor_settings.h"
#include "support/fake_data_services.h"

using namespace sopora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char* const keys[] = {"CPUBorder", "NETBorder", "DISKBorder", "MAXTime", "Interval",
                                     "Method",    "ResumeReboot", "Retry",  "Network", "Disk"};
  FakeIniStore ini;
  for (std::size_t i = 0; i < 10 && (i + 1) * 4 <= size; ++i) {
    std::int32_t value;
    std::memcpy(&value, data + i * 4, 4);
    ini.values[keys[i]] = value;
  }
  const MonitorSettings s = ReadMonitorSettings(ini);
  if (s.CPUBorder < 1) std::abort();
  if (s.NETBorder < 1 || s.NETBorder > 999 || s.DISKBorder < 1 || s.DISKBorder > 999) std::abort();
  if (s.Interval < 1 || s.Interval > INTERVAL_LIMIT_SECONDS) std::abort();
  if (s.MAXTime < 1 || s.MAXTime > MAX_TIME_LIMIT_MINUTES) std::abort();
  // Signed overflow here would be reported by the undefined-behaviour sanitizer.
  const std::int32_t periodMs = s.Interval * 1000;
  const std::int32_t target = s.MAXTime * 60 / s.Interval;
  if (periodMs <= 0 || target < 0 || target > MAX_TIME_LIMIT_MINUTES * 60) std::abort();
  return 0;
}
