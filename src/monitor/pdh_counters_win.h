#pragma once

#include "monitor/counter_api.h"

namespace sopora {

// The counter seam over pdh.dll. Counters are added by their English
// names, which every language edition of Windows accepts; the localized
// names that PdhAddCounter wants differ per edition.
class Win32CounterApi : public CounterApi {
 public:
  PdhStatus MakeCounterPath(const CounterPathElements& elements, std::string& path) override;
  PdhStatus OpenQuery(PdhQuery& query) override;
  PdhStatus AddCounter(PdhQuery query, const std::string& path, PdhCounter& counter) override;
  PdhStatus CollectQueryData(PdhQuery query) override;
  PdhStatus GetRawCounterValue(PdhCounter counter, RawCounter& raw) override;
  PdhStatus CalculateCounterFromRawValue(PdhCounter counter, std::uint32_t format, const RawCounter& now,
                                         const RawCounter& previous, CounterValue& value) override;
  void CloseQuery(PdhQuery query) override;
};

}  // namespace sopora
