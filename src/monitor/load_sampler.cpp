#include "monitor/load_sampler.h"

namespace sopora {

LoadSampler::LoadSampler(const MonitorSettings& settings, CounterApi& counters, OperationLog& log)
    : m_settings(settings), m_counters(counters), m_log(log) {}

LoadSampler::~LoadSampler() {
  for (const PdhQuery query : {m_hCpuQuery, m_hNetQuery, m_hDiskQuery}) {
    if (query) m_counters.CloseQuery(query);
  }
}

PdhStatus LoadSampler::AddCounterQuery(const char* machine, const char* object, const char* instance,
                                       const char* counter, PdhQuery& query, PdhCounter& counterHandle) {
  const CounterPathElements elements{machine, object, instance, nullptr, PDH_ALL_INSTANCE_BITS, counter};
  std::string path;
  if (const PdhStatus status = m_counters.MakeCounterPath(elements, path); status != PDH_OK) return status;
  if (const PdhStatus status = m_counters.OpenQuery(query); status != PDH_OK) {
    query = 0;
    return status;
  }
  if (const PdhStatus status = m_counters.AddCounter(query, path, counterHandle); status != PDH_OK) {
    // A query without its counter is of no use; a stale handle must not be
    // collected later either.
    m_counters.CloseQuery(query);
    query = 0;
    counterHandle = 0;
    return status;
  }
  return PDH_OK;
}

bool LoadSampler::SetUpCounterQueries() {
  const bool cpuAvailable = SetUpCpuQuery();

  // Network and disk are set up whatever their switches say, so that
  // switching them on later needs nothing more.
  if (AddCounterQuery(nullptr, "TCP", nullptr, "Segments/sec", m_hNetQuery, m_hNetCounter) == PDH_OK) {
    m_log.AddLog(LOG_INFO, IDS_LOG_NET_QUERY_CREATED);
  } else {
    m_log.AddLog(LOG_WARNING, IDS_LOG_NET_QUERY_FAILED);
  }

  if (AddCounterQuery(nullptr, "LogicalDisk", "_Total", "Disk Bytes/sec", m_hDiskQuery, m_hDiskCounter) == PDH_OK) {
    m_log.AddLog(LOG_INFO, IDS_LOG_DISK_QUERY_CREATED);
  } else {
    m_log.AddLog(LOG_WARNING, IDS_LOG_DISK_QUERY_FAILED);
  }
  return cpuAvailable;
}

bool LoadSampler::SetUpCpuQuery() {
  if (AddCounterQuery(nullptr, "Processor", "_Total", "% Processor Time", m_hCpuQuery, m_hCpuCounter) == PDH_OK) {
    m_log.AddLog(LOG_INFO, IDS_LOG_CPU_QUERY_CREATED);
    return true;
  }
  m_log.AddLog(LOG_WARNING, IDS_LOG_CPU_QUERY_FAILED_1);
  if (AddCounterQuery(nullptr, "Process", "Idle", "% Processor Time", m_hCpuQuery, m_hCpuCounter) != PDH_OK) {
    m_log.AddLog(LOG_ERROR, IDS_LOG_CPU_QUERY_FAILED_2);
    return false;
  }
  m_bCpuByIdleProcess = true;
  m_log.AddLog(LOG_INFO, IDS_LOG_CPU_QUERY_CREATED);
  return true;
}

PdhStatus LoadSampler::Sample(PdhQuery query, PdhCounter counter, std::uint32_t format, RawCounter& previous,
                              CounterValue& value) {
  if (query == 0) return QUERY_NOT_OPENED;
  if (const PdhStatus status = m_counters.CollectQueryData(query); status != PDH_OK) return status;
  RawCounter now{};
  if (const PdhStatus status = m_counters.GetRawCounterValue(counter, now); status != PDH_OK) return status;
  // The calculation's status is not looked at: the first sample, against
  // the zero-filled previous one, may well report an error.
  m_counters.CalculateCounterFromRawValue(counter, format, now, previous, value);
  previous = now;
  return PDH_OK;
}

double LoadSampler::ReadCpuLoad() {
  CounterValue value;
  if (Sample(m_hCpuQuery, m_hCpuCounter, PDH_FMT_DOUBLE_VALUE, m_rawCpuPrev, value) != PDH_OK) return -1.0;
  // The idle process takes the share of processor time nothing else uses.
  return m_bCpuByIdleProcess ? 100.0 - value.doubleValue : value.doubleValue;
}

std::int32_t LoadSampler::ReadNetworkLoad() {
  if (!m_settings.Network) return 0;
  CounterValue value;
  if (Sample(m_hNetQuery, m_hNetCounter, PDH_FMT_LONG_VALUE, m_rawNetPrev, value) != PDH_OK) return -1;
  return value.longValue;
}

std::int32_t LoadSampler::ReadDiskLoad() {
  if (!m_settings.Disk) return 0;
  CounterValue value;
  if (Sample(m_hDiskQuery, m_hDiskCounter, PDH_FMT_LONG_VALUE, m_rawDiskPrev, value) != PDH_OK) return -1;
  return value.longValue / 1000;
}

}  // namespace sopora
