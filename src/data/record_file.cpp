#include "data/record_file.h"

#include <algorithm>
#include <cstdio>

namespace sopora {

namespace {
DataPath WithSuffix(const DataPath& path, const char* suffix) { return DataPath(path.native() + DataPath(suffix).native()); }

// The records of a content, without the version byte and a partial tail.
std::span<const std::uint8_t> RecordBytes(std::span<const std::uint8_t> content, std::size_t recordSize) {
  if (content.empty()) return {};
  return content.subspan(1, (content.size() - 1) / recordSize * recordSize);
}

bool IsOurs(std::span<const std::uint8_t> content) { return !content.empty() && content[0] == DATA_FILE_VERSION; }

const Bytes VERSION_ONLY{DATA_FILE_VERSION};
}  // namespace

DataPath KeptAsidePath(const DataPath& path, const SystemTime& time, int attempt) {
  char stamp[80];
  std::snprintf(stamp, sizeof stamp, ".%04u%02u%02u-%02u%02u%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  const std::string number = attempt > 1 ? "_" + std::to_string(attempt) : "";
  return WithSuffix(path, (stamp + number + ".old").c_str());
}

RecordFile::RecordFile(FileSystem& files, Notifier& notifier, Clock& clock, DataPath path,
                       const RecordFileMessages& messages, RecordFileLayout layout, bool createWhenMissing)
    : m_files(files),
      m_notifier(notifier),
      m_clock(clock),
      m_path(std::move(path)),
      m_temporary(WithSuffix(m_path, ".new")),
      m_lockFile(WithSuffix(m_path, ".lock")),
      m_messages(messages),
      m_layout(layout),
      m_createWhenMissing(createWhenMissing) {}

LoadOutcome RecordFile::Load(Bytes& content) {
  // A load only reads; should another Sopora keep the lock for longer than
  // a write takes, the file is read all the same.
  const std::unique_ptr<FileLock> lock = m_files.Lock(m_lockFile);
  return Report(LoadLocked(content));
}

LoadOutcome RecordFile::LoadLocked(Bytes& content) {
  RecoverInterruptedReplace();
  if (!m_files.Exists(m_path)) {
    Remember({});  // nothing there: nothing unseen either
    if (!m_createWhenMissing) return LoadOutcome::NotCreated;
    if (!WriteWholeFile(m_files, m_path, VERSION_ONLY)) return LoadOutcome::CannotCreate;
    Remember(VERSION_ONLY);
    return LoadOutcome::Created;
  }
  Forget();
  FileContent read = m_files.ReadForUpdate(m_path, m_layout.maxBytes);
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
  Remember(read.bytes);
  content = std::move(read.bytes);
  return LoadOutcome::Loaded;
}

LoadOutcome RecordFile::Report(LoadOutcome outcome) {
  switch (outcome) {
    case LoadOutcome::CannotCreate:
      m_notifier.ShowWarning(m_messages.cannotCreate);
      break;
    case LoadOutcome::CannotOpen:
      m_notifier.ShowWarning(m_messages.cannotOpen);
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
  return outcome;
}

void RecordFile::Remember(Bytes content) {
  m_content = std::move(content);
  m_stamp = m_files.Stamp(m_path);
}

void RecordFile::Forget() {
  m_content.clear();
  m_stamp.reset();
}

RewriteResult RecordFile::Rewrite(const Compose& compose, bool refuseChangesElsewhere) {
  const std::unique_ptr<FileLock> lock = m_files.Lock(m_lockFile);
  if (!lock) return {RewriteOutcome::NotNow, false};  // another Sopora is writing: next time
  RecoverInterruptedReplace();

  bool exists = false;
  const std::optional<Bytes> current = ReadCurrent(exists);
  if (!current) return {RewriteOutcome::NotNow, false};
  const std::span<const std::uint8_t> seen = RecordBytes(m_content, m_layout.recordSize);
  const std::span<const std::uint8_t> now = RecordBytes(*current, m_layout.recordSize);
  const bool changedElsewhere = !std::equal(seen.begin(), seen.end(), now.begin(), now.end());
  if (changedElsewhere && refuseChangesElsewhere) return {RewriteOutcome::ChangedElsewhere, true};

  Bytes next = compose(*current);
  if (!WriteNew(*current, exists, next)) return {RewriteOutcome::NotNow, changedElsewhere};
  Remember(std::move(next));
  return {RewriteOutcome::Written, changedElsewhere};
}

// What the file holds now, or nothing while it cannot be read: the content
// this instance knows when the stamp says nobody changed it since.
std::optional<Bytes> RecordFile::ReadCurrent(bool& exists) {
  exists = m_files.Exists(m_path);
  if (!exists) return VERSION_ONLY;
  if (m_stamp && m_files.Stamp(m_path) == m_stamp) return m_content;

  FileContent read = m_files.ReadForUpdate(m_path, m_layout.maxBytes);
  switch (read.status) {
    case FileContent::Status::CannotOpen:
    case FileContent::Status::ReadFailed:
      return std::nullopt;  // held or read-only: read when it is free
    case FileContent::Status::Read:
      if (IsOurs(read.bytes)) return std::move(read.bytes);
      break;
    case FileContent::Status::TooLarge:
      break;
  }
  // Really unreadable: someone's data all the same, so it is kept.
  if (!KeepAside()) return std::nullopt;
  exists = false;
  return VERSION_ONLY;
}

bool RecordFile::KeepAside() {
  std::vector<DataPath> kept = m_files.FilesMatching(WithSuffix(m_path, ".*.old"));
  // Only names of this form count (not the single name.old of earlier
  // versions); they sort by the time in them, the oldest first.
  const std::size_t shortest = m_path.native().size() + DataPath(".x.old").native().size();
  std::erase_if(kept, [&](const DataPath& path) { return path.native().size() < shortest; });
  std::sort(kept.begin(), kept.end());
  for (std::size_t i = 0; i + KEPT_ASIDE_LIMIT <= kept.size(); ++i) m_files.Remove(kept[i]);

  const SystemTime now = m_clock.LocalTime();
  for (int attempt = 1; attempt <= 9; ++attempt) {
    const DataPath target = KeptAsidePath(m_path, now, attempt);
    if (!m_files.Exists(target)) return m_files.MoveAside(m_path, target);
  }
  return false;
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
    m_files.Remove(m_temporary);
  }
  if (!exists) {
    if (WriteWholeFile(m_files, m_path, next)) return true;
    m_files.Remove(m_path);  // a new file of ours, cut short: nothing of anyone's is lost
    return false;
  }
  const bool grows = next.size() > current.size() && std::equal(current.begin(), current.end(), next.begin());
  return grows && m_files.AppendInPlace(m_path, current.size(), next.subspan(current.size()));
}

// A crash between the two steps of a replace (the old file deleted, the new
// one not yet renamed in) leaves no file and a complete temporary one, which
// holds the newest content: it becomes the file before anything else
// creates or deletes files here.
void RecordFile::RecoverInterruptedReplace() {
  if (m_files.Exists(m_path) || !m_files.Exists(m_temporary)) return;
  const FileContent temporary = m_files.ReadForUpdate(m_temporary, m_layout.maxBytes);
  if (temporary.status == FileContent::Status::Read && IsWholeRecordFile(temporary.bytes)) {
    m_files.Replace(m_temporary, m_path);
  }
}

bool RecordFile::IsWholeRecordFile(std::span<const std::uint8_t> content) const {
  return IsOurs(content) && (content.size() - 1) % m_layout.recordSize == 0;
}

}  // namespace sopora
