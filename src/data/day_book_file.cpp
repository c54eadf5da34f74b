#include "data/day_book_file.h"

namespace sopora {

namespace {
// 400 rows of 13 counts are about 40 KB; a file far larger is not ours.
constexpr std::uint64_t DAY_BOOK_MAX_BYTES = 1u << 20;

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool IsDayBook(std::span<const std::uint8_t> content) { return ParseDayBook(AsText(content)).has_value(); }

const std::string EMPTY_BOOK = FormatDayBook({});
const FileFormat DAY_BOOK_FORMAT = {
    IsDayBook, {reinterpret_cast<const std::uint8_t*>(EMPTY_BOOK.data()), EMPTY_BOOK.size()}};
}  // namespace

DayBookFile::DayBookFile(FileSystem& files, Notifier& notifier, Clock& clock, OperationLog& log, const DataPath& path,
                         bool writable)
    : m_files(files),
      m_log(log),
      // Only ever rewritten, never loaded, so no load message is shown;
      // a file kept aside is told in the log instead.
      m_file(files, notifier, clock, path, {}, {1, DAY_BOOK_MAX_BYTES, OpenFor::Reading, &DAY_BOOK_FORMAT}, writable) {}

DayBook DayBookFile::Read() {
  const FileContent content = m_files.Read(m_file.Path(), DAY_BOOK_MAX_BYTES, OpenFor::Reading);
  if (content.status != FileContent::Status::Read) return {};
  return ParseDayBook(AsText(content.bytes)).value_or(DayBook{});
}

bool DayBookFile::Update(const std::function<void(DayBook&)>& merge) {
  const RewriteResult result = m_file.Rewrite([&](std::span<const std::uint8_t> onDisk) {
    DayBook book = ParseDayBook(AsText(onDisk)).value_or(DayBook{});
    merge(book);
    const std::string bytes = FormatDayBook(book);
    return Bytes(bytes.begin(), bytes.end());
  });
  if (result.keptAside) m_log.AddLog(LOG_WARNING, IDS_LOG_DAY_BOOK_KEPT_ASIDE);
  return result.outcome == RewriteOutcome::Written;
}

}  // namespace sopora
