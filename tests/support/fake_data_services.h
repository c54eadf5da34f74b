// In-memory doubles for the data layer's seams.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/clock.h"
#include "data/data_store.h"
#include "data/file_system.h"
#include "data/ini_store.h"
#include "data/notifier.h"
#include "data/operation_log.h"
#include "monitor/window_source.h"
#include "support/rc_catalog.h"

namespace sopora {

// The last element of a Windows path, also on a host whose paths use "/".
inline std::string NameOf(const DataPath& path) {
  const std::string text = path.string();
  return text.substr(text.find_last_of("\\/") + 1);
}

class FakeFileSystem : public FileSystem {
 public:
  std::map<DataPath, Bytes> files;
  std::vector<DataPath> readOnly;                  // refused by a read for update, Create, Replace and MoveAside
  std::vector<DataPath> heldElsewhere;             // open in another program without sharing: the same refusals
  std::vector<DataPath> readBreaksOff;             // reads fail part-way (a network folder, a locked byte range)
  bool folderWritable = true;                      // false: no new file can be made; existing ones can be rewritten
  std::optional<std::size_t> failWritesAfterBytes; // a disk that fills up part-way
  bool failReplace = false;
  bool replaceLosesTarget = false;                 // fails half-way: the target gone, the source kept
  bool replaceReportsFailure = false;              // the replace happens, yet is reported as failed
  bool lockTaken = false;                          // another Sopora holds the lock file
  bool lockUnusable = false;                       // the lock file is a folder, say
  bool lockHeld = false;
  bool failMoveAside = false;
  std::function<void()> whileReading;              // another writer, between a read and the next step
  std::vector<std::string> calls;                  // locks and file changes, in order
  int createCount = 0;
  int reads = 0;
  std::map<DataPath, std::uint64_t> writes;        // how often each file was written, for its stamp

  bool Exists(const DataPath& path) override { return files.count(path) != 0; }
  FileContent Read(const DataPath& path, std::uint64_t maxBytes, OpenFor openFor) override {
    ++reads;
    if (!Exists(path) || std::ranges::count(heldElsewhere, path) || (openFor == OpenFor::Update && Refuses(path))) return {};
    if (files[path].size() > maxBytes) return {FileContent::Status::TooLarge, {}};
    if (std::find(readBreaksOff.begin(), readBreaksOff.end(), path) != readBreaksOff.end()) {
      return {FileContent::Status::ReadFailed, {}};
    }
    FileContent content{FileContent::Status::Read, files[path]};
    if (whileReading) std::exchange(whileReading, nullptr)();
    return content;
  }
  std::unique_ptr<OutputFile> Create(const DataPath& path) override;
  bool AppendInPlace(const DataPath& path, std::uint64_t expectedSize, std::span<const std::uint8_t> tail) override {
    if (!Exists(path) || Refuses(path) || files[path].size() != expectedSize) return false;
    Bytes& content = files[path];
    for (std::size_t i = 0; i < tail.size(); ++i) {
      if (failWritesAfterBytes && i >= *failWritesAfterBytes) {
        content.resize(static_cast<std::size_t>(expectedSize));  // cut back, as the real one does
        return false;
      }
      content.push_back(tail[i]);
    }
    ++writes[path];
    calls.push_back("append " + NameOf(path));
    return true;
  }
  bool Replace(const DataPath& from, const DataPath& to) override {
    if (failReplace || Refuses(to) || !Exists(from)) return false;
    if (replaceLosesTarget) return files.erase(to), false;
    files[to] = std::move(files[from]);
    files.erase(from);
    ++writes[to];
    calls.push_back("replace " + NameOf(to));
    return !replaceReportsFailure;
  }
  bool MoveAside(const DataPath& from, const DataPath& to) override {
    if (failMoveAside || Refuses(from) || !Exists(from) || Exists(to)) return false;
    files[to] = std::move(files[from]);
    files.erase(from);
    ++writes[to];
    calls.push_back("aside " + NameOf(to));
    return true;
  }
  void Remove(const DataPath& path) override {
    if (files.erase(path) != 0) calls.push_back("remove " + NameOf(path));
    std::erase(readOnly, path);
  }
  // A test that puts new bytes into `files` has changed the file too.
  std::optional<FileStamp> Stamp(const DataPath& path) override {
    if (!Exists(path)) return std::nullopt;
    const Bytes& bytes = files[path];
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return FileStamp{std::hash<std::string_view>{}(content), bytes.size(), writes[path]};
  }

  // "*" in the last element only, as the platform's search does.
  std::vector<DataPath> FilesMatching(const DataPath& pattern) override {
    const std::string name = pattern.string();
    const std::size_t star = name.find('*');
    std::vector<DataPath> found;
    for (const auto& [path, bytes] : files) {
      const std::string candidate = path.string();
      if (candidate.size() + 1 < name.size()) continue;
      if (candidate.starts_with(name.substr(0, star)) && candidate.ends_with(name.substr(star + 1))) {
        found.push_back(path);
      }
    }
    return found;
  }
  std::unique_ptr<FileLock> Lock(const DataPath& lockFile) override {
    if (lockTaken) return nullptr;
    class Held : public FileLock {
     public:
      Held(FakeFileSystem& fs, std::string name) : m_fs(fs), m_name(std::move(name)) { fs.lockHeld = true; }
      ~Held() override { m_fs.calls.push_back("unlock " + m_name), m_fs.lockHeld = false; }
      bool Excludes() const override { return !m_fs.lockUnusable; }

     private:
      FakeFileSystem& m_fs;
      std::string m_name;
    };
    calls.push_back("lock " + NameOf(lockFile));
    return std::make_unique<Held>(*this, NameOf(lockFile));
  }

  bool Refuses(const DataPath& path) const {
    return std::find(readOnly.begin(), readOnly.end(), path) != readOnly.end() ||
           std::find(heldElsewhere.begin(), heldElsewhere.end(), path) != heldElsewhere.end();
  }
  std::vector<DataPath> Paths() const {
    std::vector<DataPath> paths;
    for (const auto& [path, bytes] : files) paths.push_back(path);
    return paths;
  }
};

class FakeOutputFile : public OutputFile {
 public:
  FakeOutputFile(FakeFileSystem& fs, DataPath path) : m_fs(fs), m_path(std::move(path)) {}
  bool Write(std::span<const std::uint8_t> bytes) override {
    Bytes& content = m_fs.files[m_path];
    for (std::uint8_t byte : bytes) {
      if (m_fs.failWritesAfterBytes && m_written >= *m_fs.failWritesAfterBytes) return false;
      content.push_back(byte);
      ++m_written;
    }
    return true;
  }
  bool Flush() override { return true; }

 private:
  FakeFileSystem& m_fs;
  DataPath m_path;
  std::size_t m_written = 0;
};

inline std::unique_ptr<OutputFile> FakeFileSystem::Create(const DataPath& path) {
  ++createCount;
  if (Refuses(path) || (!folderWritable && !Exists(path))) return nullptr;
  files[path].clear();
  ++writes[path];
  calls.push_back("create " + NameOf(path));
  return std::make_unique<FakeOutputFile>(*this, path);
}

class RecordingNotifier : public Notifier {
 public:
  std::vector<std::string> shown;  // as a Japanese user reads them
  std::function<void()> whileShown = [] {};
  void ShowWarning(const Message& message) override { shown.push_back(rc::InJapanese(message)), whileShown(); }
};

class RecordingLog : public OperationLog {
 public:
  std::vector<std::pair<std::int32_t, MessageId>> lines;
  void AddLog(std::int32_t kind, const Message& message) override { lines.emplace_back(kind, message.id); }
};

// Keys per section in first-write order, and every write in call order.
class FakeIniStore : public IniStore {
 public:
  std::map<std::string, std::int32_t> values;  // key -> value, as if parsed
  std::map<std::string, std::string> texts;    // key -> text, for the keys read as text
  std::vector<std::string> reads;
  std::vector<std::pair<std::string, std::string>> writes;
  bool failWrites = false;

  std::int32_t GetInt(const char*, const char* key, std::int32_t defaultValue) override {
    reads.emplace_back(key);
    const auto it = values.find(key);
    return it == values.end() ? defaultValue : it->second;
  }
  std::optional<std::string> GetString(const char*, const char* key) override {
    reads.emplace_back(key);
    const auto it = texts.find(key);
    if (it != texts.end()) return it->second;
    const auto number = values.find(key);
    if (number != values.end()) return std::to_string(number->second);
    return std::nullopt;
  }
  bool WriteString(const char*, const char* key, const char* value) override {
    writes.emplace_back(key, value);
    return !failWrites;
  }
};

struct FakeWindow {
  std::string title;
  std::string className = "Notepad";
  bool visible = true;
  bool hasParent = false;
};

class FakeWindowSource : public WindowSource {
 public:
  std::vector<FakeWindow> windows;
  int enumerations = 0;

  void ForEachTopWindow(const std::function<void(WindowId)>& visit) override {
    ++enumerations;
    for (std::size_t i = 0; i < windows.size(); ++i) visit(i);
  }
  std::string Title(WindowId w) override { return windows[w].title; }
  std::string ClassName(WindowId w) override { return windows[w].className; }
  bool IsVisible(WindowId w) override { return windows[w].visible; }
  bool HasParent(WindowId w) override { return windows[w].hasParent; }
};

// A clock that stands still until a test moves it.
class FakeClock : public Clock {
 public:
  SystemTime now = {2026, 12, 4, 3, 9, 7, 15, 0};  // Thursday 2026-12-03 09:07:15
  SystemTime LocalTime() override { return now; }
};

// In-memory doubles for a CDataStore, with the files beside the program.
struct FakeDataServices {
  FakeFileSystem files;
  RecordingNotifier notifier;
  RecordingLog log;
  FakeClock clock;
  FakeWindowSource windows;
  DataFilePaths paths = DataFilePathsIn("C:\\Tools\\Sopora\\", "C:\\Tools\\Sopora\\");
};

}  // namespace sopora
