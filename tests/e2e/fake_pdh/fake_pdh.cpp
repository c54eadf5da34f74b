// A stand-in pdh.dll for the tests (loaded ahead of Wine's with
// WINEDLLOVERRIDES=pdh=n). Wine's own cannot serve the program's counter
// paths, and a test needs loads it can script anyway.
//
// Script: the file named by SOPORA_FAKE_PDH, else fakepdh.ini beside the
// program; one section per counter object (Processor, Process, TCP,
// LogicalDisk) with the status each call returns (Make, Open, Add, Collect,
// Raw, Calculate; 0 when absent) and Value, a comma-separated trace of the
// values the calculation yields, one per call, the last one repeating. The
// file is read at every call, so a test can change the load between ticks.
// Every call is appended to fakepdh.log beside the script.
#include <windows.h>
#include <pdh.h>
#include <pdhmsg.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "stand_in_script.h"

namespace {

std::wstring ScriptPath() { return StandInScript(L"SOPORA_FAKE_PDH", L"fakepdh.ini"); }

void Log(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  AppendToStandInLog(ScriptPath(), L"fakepdh.log", format, args);
  va_end(args);
}

PDH_STATUS Status(const std::wstring& object, const wchar_t* call) {
  return static_cast<PDH_STATUS>(GetPrivateProfileIntW(object.c_str(), call, 0, ScriptPath().c_str()));
}

// The object part of "\Object(Instance)\Counter".
std::wstring ObjectOf(const std::wstring& path) {
  const std::size_t start = path.find(L'\\') + 1;
  const std::size_t end = path.find_first_of(L"(\\", start);
  return path.substr(start, end - start);
}

struct Counter {
  std::wstring object;
  std::wstring trace;  // the Value text last seen
  std::size_t position = 0;
  LONGLONG serial = 0;
};

std::map<UINT_PTR, std::wstring> g_queries;  // query -> object of its counter (empty before AddCounter)
std::map<UINT_PTR, Counter> g_counters;
UINT_PTR g_lastHandle = 0;
std::wstring g_lastMadeObject;  // the program opens a query right after making its path

double NextValue(Counter& counter) {
  wchar_t text[1024];
  GetPrivateProfileStringW(counter.object.c_str(), L"Value", L"0", text, 1024, ScriptPath().c_str());
  if (counter.trace != text) {
    counter.trace = text;
    counter.position = 0;
  }
  std::vector<double> values;
  for (const wchar_t* p = text; *p;) {
    wchar_t* end = nullptr;
    values.push_back(std::wcstod(p, &end));
    p = (*end == L',') ? end + 1 : end + std::wcslen(end);
  }
  if (values.empty()) return 0.0;
  const double value = values[std::min(counter.position, values.size() - 1)];
  ++counter.position;
  return value;
}

const wchar_t* OrNull(LPCWSTR text) { return text ? text : L"<null>"; }

PDH_STATUS AddCounter(PDH_HQUERY query, LPCWSTR path, PDH_HCOUNTER* counter, const wchar_t* call) {
  const UINT_PTR q = reinterpret_cast<UINT_PTR>(query);
  const std::wstring object = ObjectOf(path);
  const PDH_STATUS status = Status(object, L"Add");
  const UINT_PTR handle = 100 + ++g_lastHandle;
  if (status == ERROR_SUCCESS) {
    g_queries[q] = object;
    g_counters[handle].object = object;
    *counter = reinterpret_cast<PDH_HCOUNTER>(handle);
  }
  Log(L"%ls query=%llu path=%ls -> %lu", call, static_cast<unsigned long long>(q), path, status);
  return status;
}

}  // namespace

extern "C" {

PDH_STATUS WINAPI PdhMakeCounterPathW(PPDH_COUNTER_PATH_ELEMENTS_W e, LPWSTR buffer, LPDWORD size, DWORD flags) {
  std::wstring path = std::wstring(L"\\") + e->szObjectName;
  if (e->szInstanceName) path += std::wstring(L"(") + e->szInstanceName + L")";
  path += std::wstring(L"\\") + e->szCounterName;
  g_lastMadeObject = e->szObjectName;
  const PDH_STATUS status = Status(e->szObjectName, L"Make");
  Log(L"PdhMakeCounterPathW machine=%ls object=%ls instance=%ls parent=%ls index=%lu counter=%ls size=%lu flags=%lu"
      L" -> %lu",
      OrNull(e->szMachineName), OrNull(e->szObjectName), OrNull(e->szInstanceName), OrNull(e->szParentInstance),
      e->dwInstanceIndex, OrNull(e->szCounterName), *size, flags, status);
  if (status != ERROR_SUCCESS) return status;
  if (path.size() + 1 > *size) return PDH_MORE_DATA;
  std::wcscpy(buffer, path.c_str());
  *size = static_cast<DWORD>(path.size() + 1);
  return ERROR_SUCCESS;
}

// The object is not known until a counter is added, so opening consults the
// object of the path made last.
PDH_STATUS WINAPI PdhOpenQueryW(LPCWSTR source, DWORD_PTR, PDH_HQUERY* query) {
  const PDH_STATUS status = Status(g_lastMadeObject, L"Open");
  UINT_PTR handle = 0;
  if (status == ERROR_SUCCESS) {
    handle = ++g_lastHandle;
    g_queries[handle] = L"";
  }
  *query = reinterpret_cast<PDH_HQUERY>(handle);
  Log(L"PdhOpenQueryW source=%ls -> query=%llu status=%lu", OrNull(source), static_cast<unsigned long long>(handle),
      status);
  return status;
}

PDH_STATUS WINAPI PdhAddEnglishCounterW(PDH_HQUERY query, LPCWSTR path, DWORD_PTR, PDH_HCOUNTER* counter) {
  return AddCounter(query, path, counter, L"PdhAddEnglishCounterW");
}

PDH_STATUS WINAPI PdhAddCounterW(PDH_HQUERY query, LPCWSTR path, DWORD_PTR, PDH_HCOUNTER* counter) {
  return AddCounter(query, path, counter, L"PdhAddCounterW");
}

PDH_STATUS WINAPI PdhCollectQueryData(PDH_HQUERY query) {
  const UINT_PTR q = reinterpret_cast<UINT_PTR>(query);
  const auto found = g_queries.find(q);
  const PDH_STATUS status = found == g_queries.end() ? PDH_INVALID_HANDLE : Status(found->second, L"Collect");
  Log(L"PdhCollectQueryData query=%llu -> %lu", static_cast<unsigned long long>(q), status);
  return status;
}

PDH_STATUS WINAPI PdhGetRawCounterValue(PDH_HCOUNTER counter, LPDWORD type, PPDH_RAW_COUNTER raw) {
  const UINT_PTR c = reinterpret_cast<UINT_PTR>(counter);
  const auto found = g_counters.find(c);
  if (found == g_counters.end()) return PDH_INVALID_HANDLE;
  Counter& state = found->second;
  const PDH_STATUS status = Status(state.object, L"Raw");
  ZeroMemory(raw, sizeof *raw);
  raw->FirstValue = ++state.serial;  // tells the samples apart
  if (type) *type = 0;
  Log(L"PdhGetRawCounterValue counter=%llu type=%ls -> FirstValue=%lld status=%lu", static_cast<unsigned long long>(c),
      type ? L"wanted" : L"<null>", raw->FirstValue, status);
  return status;
}

PDH_STATUS WINAPI PdhCalculateCounterFromRawValue(PDH_HCOUNTER counter, DWORD format, PPDH_RAW_COUNTER now,
                                                  PPDH_RAW_COUNTER previous, PPDH_FMT_COUNTERVALUE value) {
  const UINT_PTR c = reinterpret_cast<UINT_PTR>(counter);
  const auto found = g_counters.find(c);
  if (found == g_counters.end()) return PDH_INVALID_HANDLE;
  const double next = NextValue(found->second);
  const PDH_STATUS status = Status(found->second.object, L"Calculate");
  value->CStatus = status;
  if (format & PDH_FMT_DOUBLE) {
    value->doubleValue = next;
  } else {
    value->longValue = static_cast<LONG>(next);
  }
  Log(L"PdhCalculateCounterFromRawValue counter=%llu format=0x%lx now=%lld previous=%lld -> %g status=%lu",
      static_cast<unsigned long long>(c), format, now->FirstValue, previous->FirstValue, next, status);
  return status;
}

PDH_STATUS WINAPI PdhCloseQuery(PDH_HQUERY query) {
  const UINT_PTR q = reinterpret_cast<UINT_PTR>(query);
  g_queries.erase(q);
  Log(L"PdhCloseQuery query=%llu", static_cast<unsigned long long>(q));
  return ERROR_SUCCESS;
}

}  // extern "C"
