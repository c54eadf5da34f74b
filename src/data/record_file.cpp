#include "data/record_file.h"

namespace sopora {

LoadOutcome RecordFile::Load(Bytes& content) {
  if (!m_files.Exists(m_path)) {
    const std::uint8_t version[] = {DATA_FILE_VERSION};
    return Report(WriteWholeFile(m_files, m_path, version) ? LoadOutcome::Created : LoadOutcome::CannotCreate);
  }
  FileContent read = m_files.ReadForUpdate(m_path, m_maxBytes);
  if (read.status == FileContent::Status::CannotOpen) return Report(LoadOutcome::CannotOpen);
  if (read.status == FileContent::Status::TooLarge) return Report(LoadOutcome::TooLarge);
  if (read.bytes.empty() || read.bytes.front() != DATA_FILE_VERSION) return Report(LoadOutcome::WrongVersion);
  content = std::move(read.bytes);
  return Report(LoadOutcome::Loaded);
}

LoadOutcome RecordFile::Report(LoadOutcome outcome) {
  m_unreadFileOnDisk = LeavesUnreadFile(outcome);
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
      break;
  }
  return outcome;
}

bool RecordFile::Rewrite(std::span<const std::uint8_t> bytes) {
  if (m_unreadFileOnDisk && m_files.Exists(m_path)) {
    if (!m_files.MoveAside(m_path, KeptAsidePath(m_path))) return false;
  }
  m_unreadFileOnDisk = false;
  return RewriteFileAtomically(m_files, m_path, bytes);
}

}  // namespace sopora
