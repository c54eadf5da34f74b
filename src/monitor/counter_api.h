// The six performance-counter calls the sampler makes (and the close of a
// query a failed set-up leaves open), with the platform's raw-sample record.
#pragma once

#include <cstdint>
#include <string>

namespace sopora {

using PdhStatus = std::uint32_t;      // PDH_OK, or the PDH or Win32 error code of the failed call
using PdhQuery = std::uintptr_t;      // 0: no query
using PdhCounter = std::uintptr_t;

inline constexpr PdhStatus PDH_OK = 0;                     // ERROR_SUCCESS
inline constexpr PdhStatus QUERY_NOT_OPENED = 0xC0000BBC;  // PDH_INVALID_HANDLE
inline constexpr std::uint32_t PDH_FMT_LONG_VALUE = 0x100;
inline constexpr std::uint32_t PDH_FMT_DOUBLE_VALUE = 0x200;
inline constexpr std::uint32_t PDH_ALL_INSTANCE_BITS = 0xFFFFFFFF;

// PDH_COUNTER_PATH_ELEMENTS; null texts are absent parts of the path.
struct CounterPathElements {
  const char* machineName;
  const char* objectName;
  const char* instanceName;
  const char* parentInstance;
  std::uint32_t instanceIndex;
  const char* counterName;
};

// PDH_RAW_COUNTER, copied whole between samples.
struct RawCounter {
  std::uint32_t CStatus;
  std::uint32_t TimeStampLow;
  std::uint32_t TimeStampHigh;
  std::int64_t FirstValue;
  std::int64_t SecondValue;
  std::uint32_t MultiCount;
};

// The part of PDH_FMT_COUNTERVALUE the sampler reads: the value in the
// requested format.
struct CounterValue {
  std::int32_t longValue = 0;
  double doubleValue = 0.0;
};

class CounterApi {
 public:
  virtual ~CounterApi() = default;
  virtual PdhStatus MakeCounterPath(const CounterPathElements& elements, std::string& path) = 0;
  virtual PdhStatus OpenQuery(PdhQuery& query) = 0;
  virtual PdhStatus AddCounter(PdhQuery query, const std::string& path, PdhCounter& counter) = 0;
  virtual PdhStatus CollectQueryData(PdhQuery query) = 0;
  virtual PdhStatus GetRawCounterValue(PdhCounter counter, RawCounter& raw) = 0;
  virtual PdhStatus CalculateCounterFromRawValue(PdhCounter counter, std::uint32_t format, const RawCounter& now,
                                                 const RawCounter& previous, CounterValue& value) = 0;
  virtual void CloseQuery(PdhQuery query) = 0;
};

}  // namespace sopora
