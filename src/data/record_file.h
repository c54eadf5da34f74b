// The shared form of the two data files: one version byte followed by
// fixed-size records back to back, no count and no trailer; and how such a
// file is loaded and rewritten without ever losing one the program could
// not read.
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
  const char* wrongVersion;  // also shown for a file too large to be ours
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

// How loading a data file went.
enum class LoadOutcome {
  Loaded,        // read and of our version
  Created,       // missing, created as the version byte alone
  CannotCreate,  // missing, and could not be created
  CannotOpen,    // exists, but could not be opened (read-only, held by another program)
  WrongVersion,  // exists, but its first byte is not our version (or it is empty)
  TooLarge,      // exists, but is far larger than any file of ours
};

// A file that exists but was not loaded still holds someone's data: it is
// moved aside (to name.old) before the first rewrite instead of being
// overwritten with what little is in memory.
constexpr bool LeavesUnreadFile(LoadOutcome outcome) {
  return outcome == LoadOutcome::CannotOpen || outcome == LoadOutcome::WrongVersion ||
         outcome == LoadOutcome::TooLarge;
}

// One data file: loaded with the program's messages, rewritten whole.
class RecordFile {
 public:
  RecordFile(FileSystem& files, Notifier& notifier, DataPath path, const RecordFileMessages& messages,
             std::uint64_t maxBytes)
      : m_files(files), m_notifier(notifier), m_path(std::move(path)), m_messages(messages), m_maxBytes(maxBytes) {}

  // Replaces `records` with the file's, creating the file (version byte
  // only) when it is missing. Each problem is reported once through the
  // notifier and leaves no records.
  template <class Record>
  LoadOutcome Load(std::vector<Record>& records) {
    Bytes content;
    const LoadOutcome outcome = Load(content);
    records = outcome == LoadOutcome::Loaded ? ParseRecordFile<Record>(content) : std::vector<Record>{};
    return outcome;
  }

  // Rewrites the whole file. A file left unread by the last load is first
  // moved aside; while that cannot be done (another program still holds it,
  // or it is read-only), nothing is written and false is returned, so the
  // caller keeps its records and tries again later.
  bool Rewrite(std::span<const std::uint8_t> bytes);

  const DataPath& Path() const { return m_path; }

 private:
  LoadOutcome Load(Bytes& content);
  LoadOutcome Report(LoadOutcome outcome);

  FileSystem& m_files;
  Notifier& m_notifier;
  DataPath m_path;
  RecordFileMessages m_messages;
  std::uint64_t m_maxBytes;
  bool m_unreadFileOnDisk = false;  // the last load left a file it could not read
};

}  // namespace sopora
