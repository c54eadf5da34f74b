// The three loads the tick compares with its thresholds, read through
// performance counters: one query with one counter per load.
#pragma once

#include "data/monitor_settings.h"
#include "data/operation_log.h"
#include "monitor/counter_api.h"
#include "monitor/idle_monitor.h"

namespace sopora {

class LoadSampler : public LoadSource {
 public:
  // `settings` is read at every call, so switching network or disk
  // monitoring takes effect at the next tick.
  LoadSampler(const MonitorSettings& settings, CounterApi& counters, OperationLog& log);
  // The queries are this sampler's: closed when it goes, never copied.
  ~LoadSampler();
  LoadSampler(const LoadSampler&) = delete;
  LoadSampler& operator=(const LoadSampler&) = delete;

  // Opens one query with one counter: PDH_OK, or the status of the step
  // that failed, and then no query is left open.
  PdhStatus AddCounterQuery(const char* machine, const char* object, const char* instance, const char* counter,
                       PdhQuery& query, PdhCounter& counterHandle);

  // Start-up: the processor (first the total, then the idle process), the
  // network and the disk queries, each logged. False when the processor
  // load cannot be measured at all: the program must end (the other two
  // queries are still set up and logged).
  bool SetUpCounterQueries();

  double ReadCpuLoad() override;
  std::int32_t ReadNetworkLoad() override;
  std::int32_t ReadDiskLoad() override;
  bool CpuByIdleProcess() const override { return m_bCpuByIdleProcess; }

  bool m_bCpuByIdleProcess = false;  // processor measured as 100 - idle process
  PdhCounter m_hCpuCounter = 0;
  PdhQuery m_hCpuQuery = 0;
  PdhCounter m_hNetCounter = 0;
  PdhQuery m_hNetQuery = 0;
  RawCounter m_rawNetPrev{};
  PdhCounter m_hDiskCounter = 0;
  PdhQuery m_hDiskQuery = 0;
  RawCounter m_rawDiskPrev{};
  RawCounter m_rawCpuPrev{};

 private:
  bool SetUpCpuQuery();
  // Collects one query and calculates from the new and the previous raw
  // sample: PDH_OK, or the status of the call that took no sample.
  PdhStatus Sample(PdhQuery query, PdhCounter counter, std::uint32_t format, RawCounter& previous, CounterValue& value);

  const MonitorSettings& m_settings;
  CounterApi& m_counters;
  OperationLog& m_log;
};

}  // namespace sopora
