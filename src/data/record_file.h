// The shared form of the two data files: one version byte followed by
// fixed-size records back to back, no count and no trailer; and how such a
// file is loaded and rewritten so that the file on disk stays the truth:
// every rewrite starts from what the file holds now, under a lock that
// keeps a second writer (another Sopora, in another session) out.
#pragma once

#include <cstring>
#include <functional>
#include <span>
#include <vector>

#include "data/clock.h"
#include "data/file_system.h"
#include "data/notifier.h"
#include "data/records.h"

namespace sopora {

struct RecordFileMessages {
  MessageId cannotCreate;
  MessageId cannotOpen;
  MessageId wrongVersion;  // also shown for a file too large to be ours
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
  NotCreated,    // missing, and its folder is known to be unwritable: not tried, not reported
  CannotCreate,  // missing, and could not be created
  CannotOpen,    // exists, but could not be opened (read-only, held by another program) or read whole
  WrongVersion,  // exists, but its first byte is not our version (or it is empty)
  TooLarge,      // exists, but is far larger than any file of ours
};

// How a rewrite went.
enum class RewriteOutcome {
  Written,           // the file holds the new content
  ChangedElsewhere,  // refused as asked: the file holds records this instance has not seen
  NotNow,            // the file could not be read or written now; it is as it was
};

struct RewriteResult {
  RewriteOutcome outcome;
  // The file held records this instance had not seen: lines of another
  // Sopora, or a file that could not be read before.
  bool changedElsewhere;
  // An unreadable file was kept aside and the content written anew: the
  // owner tells the user, who may want what it held.
  bool keptAside = false;
};

// At most this many unreadable files are kept aside per data file; the one
// put aside longest ago goes once another one has been kept.
inline constexpr std::size_t KEPT_ASIDE_LIMIT = 5;

// What a whole file of ours holds, and the content of an empty one. The
// version-byte files are the default; a text file brings its own.
struct FileFormat {
  bool (*isOurs)(std::span<const std::uint8_t> content);
  std::span<const std::uint8_t> empty;
};
extern const FileFormat VERSION_BYTE_FORMAT;

struct RecordFileLayout {
  std::size_t recordSize;
  std::uint64_t maxBytes;  // files larger than this are not read
  OpenFor loadOpenFor;     // how a load opens the file
  const FileFormat* format = &VERSION_BYTE_FORMAT;
};

// Whether a load that cannot open the file says so in a message box: not
// where it is read again and again, and the last good content serves.
enum class CannotOpenReport { Box, Quiet };

// One data file: loaded with the program's messages, rewritten whole.
class RecordFile {
 public:
  // `createWhenMissing` false: the file's folder cannot be written, so a
  // missing file is neither created nor reported.
  RecordFile(FileSystem& files, Notifier& notifier, Clock& clock, DataPath path, const RecordFileMessages& messages,
             RecordFileLayout layout, bool createWhenMissing);

  // Replaces `records` with the file's, creating the file (version byte
  // only) when it is missing. Each problem is reported through the notifier
  // and leaves no records.
  template <class Record>
  LoadOutcome Load(std::vector<Record>& records, CannotOpenReport report = CannotOpenReport::Box) {
    Bytes content;
    const LoadOutcome outcome = Load(content, report);
    records = outcome == LoadOutcome::Loaded ? ParseRecordFile<Record>(content) : std::vector<Record>{};
    return outcome;
  }

  // The new content, given what the file holds now (the version byte alone
  // for a missing file or one that was kept aside).
  using Compose = std::function<Bytes(std::span<const std::uint8_t> onDisk)>;

  // Rewrites the file from what it holds now, read again when it changed
  // since this instance last read or wrote it. A file that cannot be opened
  // (held by another program, read-only) is left as it is and NotNow is
  // returned, so the caller keeps its records and tries again later; a file
  // that is really unreadable (another version, damaged, too large) is kept
  // aside under a name of its own first. With `refuseChangesElsewhere`,
  // a file holding records this instance has not seen is not written.
  // Without a usable lock file, records are only ever added in place.
  RewriteResult Rewrite(const Compose& compose, bool refuseChangesElsewhere = false);

  // The lock file turned out unusable: writes only add in place from now on.
  bool LockUnusable() const { return m_lockUnusable; }

  const DataPath& Path() const { return m_path; }

 private:
  LoadOutcome LoadLocked(Bytes& content, bool locked);
  LoadOutcome Load(Bytes& content, CannotOpenReport report);
  void Report(LoadOutcome outcome, CannotOpenReport report);
  void NoteLock(const FileLock* lock);
  void Remember(Bytes content, std::optional<FileStamp> stamp);
  void Forget();
  std::optional<Bytes> ReadCurrent(bool& exists, bool locked, bool& keptAside);
  bool WriteNew(std::span<const std::uint8_t> current, bool exists, std::span<const std::uint8_t> next);
  bool AddInPlace(std::span<const std::uint8_t> current, std::span<const std::uint8_t> next);
  bool KeepAside();
  void EvictKeptAside();
  bool OnlyTemporaryRemains();
  bool RecoverInterruptedReplace();
  bool IsWholeRecordFile(std::span<const std::uint8_t> content) const;
  bool IsOurs(std::span<const std::uint8_t> content) const;
  Bytes Empty() const;

  FileSystem& m_files;
  Notifier& m_notifier;
  Clock& m_clock;
  DataPath m_path;
  DataPath m_temporary;  // <file>.new: the next content before it replaces the file
  DataPath m_lockFile;   // <file>.lock
  RecordFileMessages m_messages;
  RecordFileLayout m_layout;
  bool m_createWhenMissing;

  // The file as this instance last read or wrote it, and its stamp taken
  // before (none when nothing about it can be trusted).
  Bytes m_content;
  std::optional<FileStamp> m_stamp;
  bool m_lockUnusable = false;
};

// Where a file that could not be read is kept: beside it, under the number
// of its putting aside, one more than any kept before, and the time for
// the reader (Sopora.dat.3-20261209-071500.old). The number, not the time,
// tells which was put aside first: a clock set back cannot reverse it.
DataPath KeptAsidePath(const DataPath& path, unsigned number, const SystemTime& time);

}  // namespace sopora
