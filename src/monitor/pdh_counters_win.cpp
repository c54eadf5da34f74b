#include "monitor/pdh_counters_win.h"

#include <windows.h>
#include <pdh.h>

#include <optional>

#include "framework/system_library.h"
#include "framework/text_win.h"

namespace sopora {

namespace {
constexpr DWORD PATH_BUFFER_CHARS = 1024;

// pdh.dll from the system folder, looked up once. A call whose function is
// missing fails like a counter that cannot be had.
struct PdhFunctions {
  decltype(PdhMakeCounterPathW)* makeCounterPath;
  decltype(PdhOpenQueryW)* openQuery;
  decltype(PdhAddEnglishCounterW)* addEnglishCounter;
  decltype(PdhCollectQueryData)* collectQueryData;
  decltype(PdhGetRawCounterValue)* getRawCounterValue;
  decltype(PdhCalculateCounterFromRawValue)* calculateCounterFromRawValue;
  decltype(PdhCloseQuery)* closeQuery;
};

const PdhFunctions& Pdh() {
  static const PdhFunctions functions = [] {
    const SystemLibrary pdh(L"pdh.dll");
    return PdhFunctions{
        pdh.Find<decltype(PdhMakeCounterPathW)>("PdhMakeCounterPathW"),
        pdh.Find<decltype(PdhOpenQueryW)>("PdhOpenQueryW"),
        pdh.Find<decltype(PdhAddEnglishCounterW)>("PdhAddEnglishCounterW"),
        pdh.Find<decltype(PdhCollectQueryData)>("PdhCollectQueryData"),
        pdh.Find<decltype(PdhGetRawCounterValue)>("PdhGetRawCounterValue"),
        pdh.Find<decltype(PdhCalculateCounterFromRawValue)>("PdhCalculateCounterFromRawValue"),
        pdh.Find<decltype(PdhCloseQuery)>("PdhCloseQuery"),
    };
  }();
  return functions;
}

constexpr PdhStatus MISSING_FUNCTION = ERROR_PROC_NOT_FOUND;

PDH_HQUERY ToQuery(PdhQuery query) { return reinterpret_cast<PDH_HQUERY>(query); }
PDH_HCOUNTER ToCounter(PdhCounter counter) { return reinterpret_cast<PDH_HCOUNTER>(counter); }

// A wide copy of an optional name; null stays null.
class WideName {
 public:
  explicit WideName(const char* name) {
    if (name) m_text = WidenCp932(name);
  }
  LPWSTR Get() { return m_text ? m_text->data() : nullptr; }

 private:
  std::optional<std::wstring> m_text;
};

PDH_RAW_COUNTER ToPdh(const RawCounter& raw) {
  PDH_RAW_COUNTER pdh{};
  pdh.CStatus = raw.CStatus;
  pdh.TimeStamp.dwLowDateTime = raw.TimeStampLow;
  pdh.TimeStamp.dwHighDateTime = raw.TimeStampHigh;
  pdh.FirstValue = raw.FirstValue;
  pdh.SecondValue = raw.SecondValue;
  pdh.MultiCount = raw.MultiCount;
  return pdh;
}
}  // namespace

PdhStatus Win32CounterApi::MakeCounterPath(const CounterPathElements& elements, std::string& path) {
  WideName machine(elements.machineName), object(elements.objectName), instance(elements.instanceName),
      parent(elements.parentInstance), counter(elements.counterName);
  PDH_COUNTER_PATH_ELEMENTS_W pdh{};
  pdh.szMachineName = machine.Get();
  pdh.szObjectName = object.Get();
  pdh.szInstanceName = instance.Get();
  pdh.szParentInstance = parent.Get();
  pdh.dwInstanceIndex = elements.instanceIndex;
  pdh.szCounterName = counter.Get();
  wchar_t buffer[PATH_BUFFER_CHARS] = {};
  DWORD size = PATH_BUFFER_CHARS;
  if (!Pdh().makeCounterPath) return MISSING_FUNCTION;
  const PDH_STATUS status = Pdh().makeCounterPath(&pdh, buffer, &size, 0);
  if (status == ERROR_SUCCESS) path = NarrowCp932(buffer);
  return static_cast<PdhStatus>(status);
}

PdhStatus Win32CounterApi::OpenQuery(PdhQuery& query) {
  PDH_HQUERY handle = nullptr;
  if (!Pdh().openQuery) return MISSING_FUNCTION;
  const PDH_STATUS status = Pdh().openQuery(nullptr, 0, &handle);
  query = reinterpret_cast<PdhQuery>(handle);
  return static_cast<PdhStatus>(status);
}

PdhStatus Win32CounterApi::AddCounter(PdhQuery query, const std::string& path, PdhCounter& counter) {
  PDH_HCOUNTER handle = nullptr;
  if (!Pdh().addEnglishCounter) return MISSING_FUNCTION;
  const PDH_STATUS status = Pdh().addEnglishCounter(ToQuery(query), WidenCp932(path).c_str(), 0, &handle);
  counter = reinterpret_cast<PdhCounter>(handle);
  return static_cast<PdhStatus>(status);
}

PdhStatus Win32CounterApi::CollectQueryData(PdhQuery query) {
  if (!Pdh().collectQueryData) return MISSING_FUNCTION;
  return static_cast<PdhStatus>(Pdh().collectQueryData(ToQuery(query)));
}

PdhStatus Win32CounterApi::GetRawCounterValue(PdhCounter counter, RawCounter& raw) {
  PDH_RAW_COUNTER pdh{};
  if (!Pdh().getRawCounterValue) return MISSING_FUNCTION;
  const PDH_STATUS status = Pdh().getRawCounterValue(ToCounter(counter), nullptr, &pdh);
  raw.CStatus = pdh.CStatus;
  raw.TimeStampLow = pdh.TimeStamp.dwLowDateTime;
  raw.TimeStampHigh = pdh.TimeStamp.dwHighDateTime;
  raw.FirstValue = pdh.FirstValue;
  raw.SecondValue = pdh.SecondValue;
  raw.MultiCount = pdh.MultiCount;
  return static_cast<PdhStatus>(status);
}

PdhStatus Win32CounterApi::CalculateCounterFromRawValue(PdhCounter counter, std::uint32_t format,
                                                        const RawCounter& now, const RawCounter& previous,
                                                        CounterValue& value) {
  PDH_RAW_COUNTER pdhNow = ToPdh(now);
  PDH_RAW_COUNTER pdhPrevious = ToPdh(previous);
  PDH_FMT_COUNTERVALUE result{};
  if (!Pdh().calculateCounterFromRawValue) return MISSING_FUNCTION;
  const PDH_STATUS status =
      Pdh().calculateCounterFromRawValue(ToCounter(counter), format, &pdhNow, &pdhPrevious, &result);
  if (format == PDH_FMT_DOUBLE_VALUE) {
    value.doubleValue = result.doubleValue;
  } else {
    value.longValue = static_cast<std::int32_t>(result.longValue);
  }
  return static_cast<PdhStatus>(status);
}

void Win32CounterApi::CloseQuery(PdhQuery query) {
  if (Pdh().closeQuery) Pdh().closeQuery(ToQuery(query));
}

}  // namespace sopora
