// The settings a missing Sopora.ini gives, written out for the tests.
#pragma once

#include "data/monitor_settings.h"

namespace sopora {

inline MonitorSettings DefaultSettings() {
  MonitorSettings s;
  s.CPUBorder = 20;
  s.NETBorder = 300;
  s.DISKBorder = 500;
  s.MAXTime = 5;
  s.Interval = 1;
  return s;
}

}  // namespace sopora
