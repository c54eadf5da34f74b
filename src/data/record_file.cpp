#include "data/record_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

namespace sopora {

namespace {
DataPath WithSuffix(const DataPath& path, const char* suffix) { return DataPath(path.native() + DataPath(suffix).native()); }

// The records of a content, without the version byte and a partial tail.
std::span<const std::uint8_t> RecordBytes(std::span<const std::uint8_t> content, std::size_t recordSize) {
  if (content.empty()) return {};
  return content.subspan(1, (content.size() - 1) / recordSize * recordSize);
}

bool HasOurVersion(std::span<const std::uint8_t> content) {
  return !content.empty() && content[0] == DATA_FILE_VERSION;
}

constexpr std::uint8_t VERSION_ONLY[] = {DATA_FILE_VERSION};
}  // namespace

const FileFormat VERSION_BYTE_FORMAT = {HasOurVersion, VERSION_ONLY};

DataPath KeptAsidePath(const DataPath& path, unsigned number, const SystemTime& time) {
  char name[96];
  std::snprintf(name, sizeof name, ".%u-%04u%02u%02u-%02u%02u%02u.old", number, time.wYear, time.wMonth, time.wDay,
                time.wHour, time.wMinute, time.wSecond);
  return WithSuffix(path, name);
}

namespace {
// The number a kept-aside name starts with; 0 for the names of earlier
// versions (a time only), which were all put aside before any numbered one.
unsigned KeptAsideNumber(const DataPath& file, const DataPath& kept) {
  const std::string name = kept.filename().string().substr(file.filename().string().size() + 1);
  if (std::count(name.begin(), name.end(), '-') != 2) return 0;  // a time only
  unsigned number = 0;
  std::from_chars(name.data(), name.data() + name.size(), number);
  return number;
}
}  // namespace

RecordFile::RecordFile(FileSystem& files, Notifier& notifier, Clock& clock, DataPath path,
                       const RecordFileMessages& messages, RecordFileLayout layout, bool createWhenMissing)
    : m_files(files),
      m_notifier(notifier),
      m_clock(clock),
      m_path(std::move(path)),
      m_temporary(TemporaryFileOf(m_path)),
      m_lockFile(LockFileOf(m_path)),
      m_messages(messages),
      m_layout(layout),
      m_createWhenMissing(createWhenMissing) {}

LoadOutcome RecordFile::Load(Bytes& content, CannotOpenReport report) {
  LoadOutcome outcome;
  {
    // A load only reads; should another Sopora keep the lock for longer
    // than a write takes, the file is read all the same. The lock goes
    // before any message box, which may wait for the user for hours.
    const std::unique_ptr<FileLock> lock = m_files.Lock(m_lockFile);
    NoteLock(lock.get());
    outcome = LoadLocked(content, lock && lock->Excludes());
  }
  Report(outcome, report);
  return outcome;
}

LoadOutcome RecordFile::LoadLocked(Bytes& content, bool locked) {
  Forget();
  if (locked ? !RecoverInterruptedReplace() : OnlyTemporaryRemains()) {
    return LoadOutcome::CannotOpen;  // the temporary file is the only copy: it waits
  }
  if (!m_files.Exists(m_path)) {
    if (locked) Remember({}, std::nullopt);  // nothing there: nothing unseen either
    if (!m_createWhenMissing) return LoadOutcome::NotCreated;
    if (!WriteWholeFile(m_files, m_path, Empty())) return LoadOutcome::CannotCreate;
    if (locked) Remember(Empty(), m_files.Stamp(m_path));
    return LoadOutcome::Created;
  }
  // Stamped before reading: a change made meanwhile shows as a change.
  const std::optional<FileStamp> stamp = m_files.Stamp(m_path);
  FileContent read = m_files.Read(m_path, m_layout.maxBytes, m_layout.loadOpenFor);
  switch (read.status) {
    case FileContent::Status::CannotOpen:
    case FileContent::Status::ReadFailed:
      return LoadOutcome::CannotOpen;
    case FileContent::Status::TooLarge:
      return LoadOutcome::TooLarge;
    case FileContent::Status::Read:
      break;
  }
  if (!IsOurs(read.bytes)) return LoadOutcome::WrongVersion;
  // Read without the lock, another Sopora may have been writing: nothing
  // of it is trusted by a later rewrite, which reads the file again.
  if (locked) Remember(read.bytes, stamp);
  content = std::move(read.bytes);
  return LoadOutcome::Loaded;
}

void RecordFile::Report(LoadOutcome outcome, CannotOpenReport report) {
  switch (outcome) {
    case LoadOutcome::CannotCreate:
      m_notifier.ShowWarning(m_messages.cannotCreate);
      break;
    case LoadOutcome::CannotOpen:
      if (report == CannotOpenReport::Box) m_notifier.ShowWarning(m_messages.cannotOpen);
      break;
    case LoadOutcome::WrongVersion:
    case LoadOutcome::TooLarge:
      m_notifier.ShowWarning(m_messages.wrongVersion);
      break;
    case LoadOutcome::Loaded:
    case LoadOutcome::Created:
    case LoadOutcome::NotCreated:
      break;
  }
}

// A lock file that cannot be used is reported once by the owner; in a
// folder nobody may write, the lack of a folder is reported instead.
void RecordFile::NoteLock(const FileLock* lock) {
  if (lock && !lock->Excludes() && m_createWhenMissing) m_lockUnusable = true;
}

void RecordFile::Remember(Bytes content, std::optional<FileStamp> stamp) {
  m_content = std::move(content);
  m_stamp = stamp;
}

void RecordFile::Forget() {
  m_content.clear();
  m_stamp.reset();
}

RewriteResult RecordFile::Rewrite(const Compose& compose, bool refuseChangesElsewhere) {
  const std::unique_ptr<FileLock> lock = m_files.Lock(m_lockFile);
  if (!lock) return {RewriteOutcome::NotNow, false};  // another Sopora is writing: next time
  NoteLock(lock.get());
  const bool locked = lock->Excludes();
  if (locked ? !RecoverInterruptedReplace() : OnlyTemporaryRemains()) return {RewriteOutcome::NotNow, false};

  bool exists = false;
  bool keptAside = false;
  const std::optional<Bytes> current = ReadCurrent(exists, locked, keptAside);
  if (!current) return {RewriteOutcome::NotNow, false};
  const std::span<const std::uint8_t> seen = RecordBytes(m_content, m_layout.recordSize);
  const std::span<const std::uint8_t> now = RecordBytes(*current, m_layout.recordSize);
  const bool changedElsewhere = !std::equal(seen.begin(), seen.end(), now.begin(), now.end());
  if (changedElsewhere && refuseChangesElsewhere) return {RewriteOutcome::ChangedElsewhere, true};

  Bytes next = compose(*current);
  const bool written = locked ? WriteNew(*current, exists, next) : exists && AddInPlace(*current, next);
  if (!written) return {RewriteOutcome::NotNow, changedElsewhere, keptAside};
  // Unlocked, another writer may add at the same moment: the file is read
  // again next time rather than trusted.
  const std::optional<FileStamp> stamp = locked ? m_files.Stamp(m_path) : std::nullopt;
  Remember(std::move(next), stamp);
  return {RewriteOutcome::Written, changedElsewhere, keptAside};
}

// What the file holds now, or nothing while it cannot be read: the content
// this instance knows when the stamp says nobody changed it since.
std::optional<Bytes> RecordFile::ReadCurrent(bool& exists, bool locked, bool& keptAside) {
  exists = m_files.Exists(m_path);
  if (!exists) return Empty();
  if (m_stamp && m_files.Stamp(m_path) == m_stamp) return m_content;

  FileContent read = m_files.Read(m_path, m_layout.maxBytes, OpenFor::Update);
  switch (read.status) {
    case FileContent::Status::CannotOpen:
    case FileContent::Status::ReadFailed:
      return std::nullopt;  // held or read-only: read when it is free
    case FileContent::Status::Read:
      if (IsOurs(read.bytes)) return std::move(read.bytes);
      if (read.bytes.empty()) return Empty();  // holds nothing worth keeping
      break;
    case FileContent::Status::TooLarge:
      break;
  }
  // Really unreadable: someone's data all the same, so it is kept; never
  // without the lock, as that would move away what another writer adds.
  if (!locked || !KeepAside()) return std::nullopt;
  exists = false;
  keptAside = true;
  return Empty();
}

bool RecordFile::KeepAside() {
  unsigned last = 0;
  for (const DataPath& kept : m_files.FilesMatching(WithSuffix(m_path, ".*.old"))) {
    last = std::max(last, KeptAsideNumber(m_path, kept));
  }
  const SystemTime now = m_clock.LocalTime();
  for (unsigned number = last + 1; number <= last + 9; ++number) {
    const DataPath target = KeptAsidePath(m_path, number, now);
    if (m_files.Exists(target)) continue;
    if (!m_files.MoveAside(m_path, target)) return false;
    EvictKeptAside();  // only now: the file that had to go is safe
    return true;
  }
  return false;
}

// Keeps the five put aside last, by the number they were put aside under; the
// names of earlier versions (the time only) are the oldest, in time order.
void RecordFile::EvictKeptAside() {
  std::vector<DataPath> kept = m_files.FilesMatching(WithSuffix(m_path, ".*.old"));
  // Not the single name.old of the first versions: only names with a time.
  const std::size_t shortest = m_path.native().size() + DataPath(".x.old").native().size();
  std::erase_if(kept, [&](const DataPath& path) { return path.native().size() < shortest; });
  std::sort(kept.begin(), kept.end(), [&](const DataPath& a, const DataPath& b) {
    return std::pair(KeptAsideNumber(m_path, a), a) < std::pair(KeptAsideNumber(m_path, b), b);
  });
  for (std::size_t i = 0; i + KEPT_ASIDE_LIMIT < kept.size(); ++i) m_files.Remove(kept[i]);
}

// Through a temporary file and a replace, so a crash or a full disk leaves
// the old file or the new one; where that cannot be done, by adding to the
// file in place, which also leaves one or the other. Anything else (the
// records changed, not only grew) is not written at all.
bool RecordFile::WriteNew(std::span<const std::uint8_t> current, bool exists, std::span<const std::uint8_t> next) {
  if (exists && std::equal(current.begin(), current.end(), next.begin(), next.end())) return true;
  m_files.Remove(m_temporary);  // a stale one (perhaps hidden or read-only by now) must not block this
  if (std::unique_ptr<OutputFile> file = m_files.Create(m_temporary)) {
    const bool written = file->Write(next) && file->Flush();
    file.reset();  // closed before it can be moved
    if (written && m_files.Replace(m_temporary, m_path)) return true;
    // A replace that failed half-way took the file away: the temporary one
    // now holds the only copy, and the next rewrite puts it in place.
    if (written && !m_files.Exists(m_path)) return false;
    m_files.Remove(m_temporary);
  }
  if (!exists) {
    if (WriteWholeFile(m_files, m_path, next)) return true;
    m_files.Remove(m_path);  // a new file of ours, cut short: nothing of anyone's is lost
    return false;
  }
  return AddInPlace(current, next);
}

bool RecordFile::AddInPlace(std::span<const std::uint8_t> current, std::span<const std::uint8_t> next) {
  const bool grows = next.size() > current.size() && std::equal(current.begin(), current.end(), next.begin());
  return grows && m_files.AppendInPlace(m_path, current.size(), next.subspan(current.size()));
}

// The file is missing and a temporary one stands in for it: it is not
// touched, nor is a new file made in its place.
bool RecordFile::OnlyTemporaryRemains() { return !m_files.Exists(m_path) && m_files.Exists(m_temporary); }

// A crash between the two steps of a replace (the old file deleted, the new
// one not yet renamed in) leaves no file and a complete temporary one, which
// holds the newest content: it becomes the file before anything else
// creates or deletes files here. False while it cannot (it is held, or the
// move is refused): then it stays the only copy and nothing is written.
// A temporary file cut short was written while the file still existed; it
// is not trusted.
bool RecordFile::RecoverInterruptedReplace() {
  if (!OnlyTemporaryRemains()) return true;
  const FileContent temporary = m_files.Read(m_temporary, m_layout.maxBytes, OpenFor::Update);
  if (temporary.status != FileContent::Status::Read) return false;
  return !IsWholeRecordFile(temporary.bytes) || m_files.Replace(m_temporary, m_path);
}

bool RecordFile::IsWholeRecordFile(std::span<const std::uint8_t> content) const {
  return IsOurs(content) && (content.size() - 1) % m_layout.recordSize == 0;
}

bool RecordFile::IsOurs(std::span<const std::uint8_t> content) const { return m_layout.format->isOurs(content); }

Bytes RecordFile::Empty() const { return Bytes(m_layout.format->empty.begin(), m_layout.format->empty.end()); }

}  // namespace sopora
