// Any bytes as Sopora.dat: loading never reads past a record, the next
// append always leaves a well-formed file of at most 1000 records, and a
// file that was not ours survives beside it.
#include <cstdlib>

#include "data/data_store.h"
#include "data/operation_log.h"
#include "support/fake_data_services.h"
#include "text/text_field.h"

using namespace sopora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FakeDataServices fake;
  CDataStore store(fake.files, fake.notifier, fake.clock, fake.paths);
  const Bytes original(data, data + size);
  fake.files.files[fake.paths.logFile] = original;
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
  const Bytes& file = fake.files.files[fake.paths.logFile];
  const std::size_t expected = std::min<std::size_t>(count + 1, LOG_RECORD_LIMIT);
  if (file.size() != 1 + expected * sizeof(LogRecord) || file[0] != DATA_FILE_VERSION) std::abort();
  const DataPath kept = KeptAsidePath(fake.paths.logFile, 1, fake.clock.now);
  const bool keptAside = !ours && size > 0;  // an empty file holds nothing to keep
  if (fake.files.Exists(kept) != keptAside || (keptAside && fake.files.files[kept] != original)) std::abort();
  return 0;
}
