// SoporaDays.csv on disk: read and rewritten as the other data files are,
// under their lock, from what the file holds now; a file that is not a day
// book is kept aside, never written over.
#pragma once

#include <functional>

#include "data/day_book.h"
#include "data/operation_log.h"
#include "data/record_file.h"

namespace sopora {

// Where the book is kept between runs (SoporaDays.csv).
class DayBookStore {
 public:
  virtual ~DayBookStore() = default;
  // The book as it is now; empty when there is none or it cannot be read.
  virtual DayBook Read() = 0;
  // Rewrites the book from what it holds now; false when that cannot be
  // done now, and nothing was written.
  virtual bool Update(const std::function<void(DayBook&)>& merge) = 0;
};

class DayBookFile : public DayBookStore {
 public:
  DayBookFile(FileSystem& files, Notifier& notifier, Clock& clock, OperationLog& log, const DataPath& path,
              bool writable);

  DayBook Read() override;
  bool Update(const std::function<void(DayBook&)>& merge) override;

 private:
  FileSystem& m_files;
  OperationLog& m_log;
  RecordFile m_file;
};

}  // namespace sopora
