// Any bytes as Sopora.dat: loading never reads past a record, and the next
// append always leaves a well-formed file.
#include <cstdlib>

#include "data/data_store.h"
#include "data/text_field.h"
#include "support/fake_data_services.h"

using namespace sopora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FakeDataServices fake;
  CDataStore store(fake.services);
  fake.files.files[g_strLogFile] = Bytes(data, data + size);
  store.LoadLog();

  std::vector<LogRecord> records;
  const int count = store.GetLogRecords(records);
  const bool ours = size > 0 && data[0] == DATA_FILE_VERSION;
  if (count != (ours ? static_cast<int>((size - 1) / sizeof(LogRecord)) : 0)) std::abort();
  if (fake.notifier.shown.size() != (ours ? 0u : 1u)) std::abort();
  for (const LogRecord& r : records) {
    if (TextOfField(r.text).size() > sizeof r.text) std::abort();
  }

  store.AppendLog(MakeLogRecord(0, std::string(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 600)),
                                SystemTime{}));
  const Bytes& file = fake.files.files[g_strLogFile];
  const std::size_t expected = std::min<std::size_t>(count + 1, count >= 1000 ? count : 1000);
  if (file.size() != 1 + expected * sizeof(LogRecord) || file[0] != DATA_FILE_VERSION) std::abort();
  return 0;
}
