// Any bytes as SoporaWnd.dat, matched against window titles taken from the
// same input: no read past a field, and the fast matcher agrees with the
// definition (worked out with memory, so the oracle never runs away).
#include <cstdlib>

#include "data/data_store.h"
#include "monitor/exception_windows.h"
#include "support/fake_data_services.h"
#include "support/reference_matcher.h"
#include "text/text_field.h"

using namespace sopora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FakeDataServices fake;
  CDataStore store(fake.files, fake.notifier, fake.clock, fake.paths);
  fake.files.files[fake.paths.wndFile] = Bytes(data, data + size);

  std::vector<ExceptWndEntry> patterns;
  const bool read = IsRead(store.LoadExceptWnd(patterns));
  const bool ours = size > 0 && data[0] == DATA_FILE_VERSION;
  if (read != ours || patterns.size() != (ours ? (size - 1) / sizeof(ExceptWndEntry) : 0)) std::abort();

  // Titles: the input cut into pieces at its zero bytes.
  const std::string all(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 2000));
  for (std::size_t start = 0; start < all.size() && fake.windows.windows.size() < 8;) {
    const std::size_t end = std::min(all.find('\0', start), all.size());
    fake.windows.windows.push_back({std::string(Cp932Prefix(all.substr(start, end - start), 259))});
    start = end + 1;
  }
  bool expected = false;
  for (const ExceptWndEntry& p : patterns) {
    const std::string_view pattern = TextOfField(p.title);
    for (const FakeWindow& w : fake.windows.windows) {
      const bool fast = MatchWildcard(pattern, w.title);
      if (fast != MemoizedReferenceMatch(pattern, w.title)) std::abort();
      expected |= fast && !w.title.empty() && w.title != "Program Manager";
    }
  }
  ExceptionWindowDetector detector(store, fake.files, fake.paths.wndFile, fake.windows, fake.log);
  if (detector.IsExceptWindowPresent() != expected) std::abort();
  if (detector.IsExceptWindowPresent() != expected) std::abort();  // the second tick, from what it knows
  return 0;
}
