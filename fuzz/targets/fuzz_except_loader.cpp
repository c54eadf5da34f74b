// Any bytes as SoporaWnd.dat, matched against window titles taken from the
// same input: no read past a field, and the fast matcher agrees with the
// recursive definition.
#include <cstdlib>

#include "data/data_store.h"
#include "data/text_field.h"
#include "support/fake_data_services.h"
#include "support/reference_matcher.h"

using namespace sopora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FakeDataServices fake;
  CDataStore store(fake.services);
  fake.files.files[g_strWndFile] = Bytes(data, data + size);

  std::vector<ExceptWndEntry> patterns;
  store.LoadExceptWnd(patterns);
  const bool ours = size > 0 && data[0] == DATA_FILE_VERSION;
  if (patterns.size() != (ours ? (size - 1) / sizeof(ExceptWndEntry) : 0)) std::abort();

  // Titles: the input cut into pieces at its zero bytes.
  const std::string all(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 2000));
  for (std::size_t start = 0; start < all.size() && fake.windows.windows.size() < 8;) {
    const std::size_t end = std::min(all.find('\0', start), all.size());
    fake.windows.windows.push_back({std::string(Cp932Prefix(all.substr(start, end - start), 259))});
    start = end + 1;
  }
  bool expected = false;
  for (const ExceptWndEntry& p : patterns) {
    const std::string pattern(TextOfField(p.title));
    // The recursive reference is exponential in the stars; keep it short.
    if (pattern.size() > 24) continue;
    for (const FakeWindow& w : fake.windows.windows) {
      const bool fast = CDataStore::MatchWildcard(pattern, w.title);
      if (fast != ReferenceMatchWildcard(pattern.c_str(), w.title.c_str())) std::abort();
      expected |= fast && !w.title.empty() && w.title != "Program Manager";
    }
  }
  const bool present = store.IsExceptWindowPresent();
  if (expected && !present) std::abort();
  return 0;
}
