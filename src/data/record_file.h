// The shared layout of the two data files: one version byte followed by
// fixed-size records back to back, no count and no trailer.
#pragma once

#include <cstring>
#include <span>
#include <vector>

#include "data/file_system.h"
#include "data/notifier.h"
#include "data/records.h"

namespace sopora {

struct RecordFileMessages {
  const char* cannotCreate;
  const char* cannotOpen;
  const char* wrongVersion;
};

template <class Record>
Bytes SerializeRecordFile(std::span<const Record> records) {
  Bytes bytes(1 + records.size() * sizeof(Record));
  bytes[0] = DATA_FILE_VERSION;
  if (!records.empty()) std::memcpy(bytes.data() + 1, records.data(), records.size() * sizeof(Record));
  return bytes;
}

// The complete records of a file's content; a trailing partial record is
// ignored. A file of another version yields none, so a foreign format is
// never taken for ours.
template <class Record>
std::vector<Record> ParseRecordFile(std::span<const std::uint8_t> content) {
  std::vector<Record> records;
  if (content.empty() || content[0] != DATA_FILE_VERSION) return records;
  const std::size_t count = (content.size() - 1) / sizeof(Record);
  records.resize(count);
  if (count != 0) std::memcpy(records.data(), content.data() + 1, count * sizeof(Record));
  return records;
}

// Loads a data file, creating it (version byte only) when it is missing.
// Each problem is reported once through the notifier and leaves no records.
template <class Record>
std::vector<Record> LoadRecordFile(FileSystem& files, Notifier& notifier, const DataPath& path,
                                   const RecordFileMessages& messages) {
  if (!files.Exists(path)) {
    const std::uint8_t version[] = {DATA_FILE_VERSION};
    if (!WriteNewFile(files, path, version)) {
      notifier.ShowWarning(messages.cannotCreate);
      return {};
    }
  }
  const std::optional<Bytes> content = files.ReadForUpdate(path);
  if (!content) {
    notifier.ShowWarning(messages.cannotOpen);
    return {};
  }
  if (content->empty() || content->front() != DATA_FILE_VERSION) {
    notifier.ShowWarning(messages.wrongVersion);
    return {};
  }
  return ParseRecordFile<Record>(*content);
}

}  // namespace sopora
