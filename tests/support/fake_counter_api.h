// A scripted stand-in for the performance-counter calls: per counter object
// ("Processor", "Process", "TCP", "LogicalDisk") the status of each call and
// the value the calculation yields; every call is recorded.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "monitor/counter_api.h"

namespace sopora {

struct ScriptedCounter {
  PdhStatus make = 0, open = 0, add = 0, collect = 0, raw = 0, calculate = 0;
  double value = 0.0;
};

class FakeCounterApi : public CounterApi {
 public:
  std::map<std::string, ScriptedCounter> script;  // by object name
  std::vector<std::string> calls;
  std::vector<CounterPathElements> madePaths;
  std::vector<std::int64_t> previousSeenByCalculation;  // FirstValue of the previous raw sample

  PdhStatus MakeCounterPath(const CounterPathElements& e, std::string& path) override {
    madePaths.push_back(e);
    path = std::string("\\") + e.objectName + (e.instanceName ? std::string("(") + e.instanceName + ")" : "") +
           "\\" + e.counterName;
    calls.push_back("Make " + path);
    m_lastObject = e.objectName;
    return script[m_lastObject].make;
  }
  PdhStatus OpenQuery(PdhQuery& query) override {
    query = ++m_lastHandle;
    m_objectOfQuery[query] = m_lastObject;
    calls.push_back("Open " + std::to_string(query));
    return script[m_lastObject].open;
  }
  PdhStatus AddCounter(PdhQuery query, const std::string& path, PdhCounter& counter) override {
    counter = 100 + query;
    m_objectOfCounter[counter] = m_objectOfQuery[query];
    calls.push_back("Add " + std::to_string(query) + " " + path);
    return script[m_objectOfQuery[query]].add;
  }
  PdhStatus CollectQueryData(PdhQuery query) override {
    calls.push_back("Collect " + std::to_string(query));
    return script[m_objectOfQuery[query]].collect;
  }
  PdhStatus GetRawCounterValue(PdhCounter counter, RawCounter& raw) override {
    calls.push_back("Raw " + std::to_string(counter));
    raw = RawCounter{};
    raw.FirstValue = ++m_rawSerial;  // each sample is told apart by its serial
    return script[m_objectOfCounter[counter]].raw;
  }
  PdhStatus CalculateCounterFromRawValue(PdhCounter counter, std::uint32_t format, const RawCounter& now,
                                         const RawCounter& previous, CounterValue& value) override {
    calls.push_back("Calculate " + std::to_string(counter) + " " + std::to_string(format) + " now=" +
                    std::to_string(now.FirstValue) + " previous=" + std::to_string(previous.FirstValue));
    previousSeenByCalculation.push_back(previous.FirstValue);
    const ScriptedCounter& s = script[m_objectOfCounter[counter]];
    value.doubleValue = s.value;
    value.longValue = static_cast<std::int32_t>(s.value);
    return s.calculate;
  }
  void CloseQuery(PdhQuery query) override { calls.push_back("Close " + std::to_string(query)); }

 private:
  std::string m_lastObject;
  PdhQuery m_lastHandle = 0;
  std::int64_t m_rawSerial = 0;
  std::map<PdhQuery, std::string> m_objectOfQuery;
  std::map<PdhCounter, std::string> m_objectOfCounter;
};

}  // namespace sopora
