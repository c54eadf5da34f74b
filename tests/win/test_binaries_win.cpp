// What Windows loads: the built binaries, read from their PE headers (the
// hook library, mapped into every program of the desktop, has no section
// those programs share and could write; the program imports nothing that
// Windows 7 without its updates lacks), and system libraries loaded by
// their full path where the search cannot be limited to the system folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/system_library.h"
#include "framework/win_handles.h"
#include "win/support/temp_folder.h"

namespace sopora {
namespace {

class PeFile {
 public:
  explicit PeFile(const std::filesystem::path& path) : m_bytes(ReadFileBytes(path)) {
    const auto dos = Read<IMAGE_DOS_HEADER>(0);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE) throw std::runtime_error("not an executable");
    m_nt = Read<IMAGE_NT_HEADERS64>(static_cast<std::size_t>(dos.e_lfanew));
    if (m_nt.Signature != IMAGE_NT_SIGNATURE || m_nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
      throw std::runtime_error("not a 64-bit PE image");
    }
    const std::size_t first = static_cast<std::size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                              m_nt.FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < m_nt.FileHeader.NumberOfSections; ++i) {
      m_sections.push_back(Read<IMAGE_SECTION_HEADER>(first + i * sizeof(IMAGE_SECTION_HEADER)));
    }
  }

  const std::vector<IMAGE_SECTION_HEADER>& Sections() const { return m_sections; }

  // The functions imported by name from `library` (case as in the file).
  std::vector<std::string> ImportsFrom(const std::string& library) const {
    std::vector<std::string> names;
    const IMAGE_DATA_DIRECTORY directory = m_nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (std::size_t at = OffsetOf(directory.VirtualAddress);; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      const auto descriptor = Read<IMAGE_IMPORT_DESCRIPTOR>(at);
      if (descriptor.Name == 0) break;
      if (_stricmp(TextAt(OffsetOf(descriptor.Name)).c_str(), library.c_str()) != 0) continue;
      const DWORD thunks = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
      for (std::size_t thunk = OffsetOf(thunks);; thunk += sizeof(ULONGLONG)) {
        const auto entry = Read<ULONGLONG>(thunk);
        if (entry == 0) break;
        if (IMAGE_SNAP_BY_ORDINAL64(entry)) continue;
        names.push_back(TextAt(OffsetOf(static_cast<DWORD>(entry)) + offsetof(IMAGE_IMPORT_BY_NAME, Name)));
      }
    }
    return names;
  }

 private:
  template <class T>
  T Read(std::size_t offset) const {
    if (offset > m_bytes.size() || m_bytes.size() - offset < sizeof(T)) throw std::runtime_error("past the end");
    T value;
    std::memcpy(&value, m_bytes.data() + offset, sizeof value);
    return value;
  }

  std::string TextAt(std::size_t offset) const {
    std::string text;
    for (char c; (c = Read<char>(offset + text.size())) != 0;) text.push_back(c);
    return text;
  }

  std::size_t OffsetOf(DWORD rva) const {
    for (const IMAGE_SECTION_HEADER& section : m_sections) {
      if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData) {
        return section.PointerToRawData + (rva - section.VirtualAddress);
      }
    }
    throw std::runtime_error("an address outside every section");
  }

  Bytes m_bytes;
  IMAGE_NT_HEADERS64 m_nt{};
  std::vector<IMAGE_SECTION_HEADER> m_sections;
};

std::filesystem::path Beside(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path() / name;
}

TEST(BinariesWin, TheHookLibraryHasNoWritableSharedSection) {
  const PeFile hook(Beside(L"SoporaHook.dll"));
  ASSERT_GE(hook.Sections().size(), 3u);
  bool hasWritableData = false;  // so the flags are really read
  for (const IMAGE_SECTION_HEADER& section : hook.Sections()) {
    const auto* raw = reinterpret_cast<const char*>(section.Name);
    const std::string name(raw, strnlen(raw, IMAGE_SIZEOF_SHORT_NAME));
    EXPECT_FALSE((section.Characteristics & IMAGE_SCN_MEM_SHARED) && (section.Characteristics & IMAGE_SCN_MEM_WRITE))
        << name;
    hasWritableData = hasWritableData || (section.Characteristics & IMAGE_SCN_MEM_WRITE);
  }
  EXPECT_TRUE(hasWritableData);
}

TEST(BinariesWin, TheProgramLooksUpWhatOlderWindowsLacks) {
  const std::vector<std::string> kernel32 = PeFile(Beside(L"Sopora.exe")).ImportsFrom("KERNEL32.dll");
  EXPECT_NE(std::find(kernel32.begin(), kernel32.end(), "GetProcAddress"), kernel32.end());  // the walk finds names
  for (const char* missingOnWindows7 : {"SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory"}) {
    EXPECT_EQ(std::find(kernel32.begin(), kernel32.end(), missingOnWindows7), kernel32.end()) << missingOnWindows7;
  }
}

// Event Viewer formats an event from the message table of Sopora.exe,
// loaded as data, in the viewer's language: every string of the program is
// there in both languages, its "{0}" as the first insertion string.
std::wstring FromMessageTable(HMODULE exe, UINT id, LANGID language) {
  static const wchar_t* const NAMES[] = {L"<0>", L"<1>", L"<2>", L"<3>", L"<4>",
                                         L"<5>", L"<6>", L"<7>", L"<8>", L"<9>"};
  DWORD_PTR inserts[std::size(NAMES)];
  std::ranges::transform(NAMES, inserts, [](const wchar_t* name) { return reinterpret_cast<DWORD_PTR>(name); });
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY, exe, id, language,
      reinterpret_cast<wchar_t*>(&text), 0, reinterpret_cast<va_list*>(inserts));
  const UniqueLocalMemory owner(text);
  std::wstring formatted(text ? text : L"", length);
  for (std::size_t at; (at = formatted.find(L"\r\n")) != std::wstring::npos;) formatted.erase(at, 1);
  return length ? formatted : L"<error " + std::to_wstring(GetLastError()) + L">";
}

BOOL CALLBACK AddStringBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks) {
  reinterpret_cast<std::vector<UINT>*>(blocks)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
  return TRUE;
}

TEST(BinariesWin, TheMessageTableSaysEveryStringInBothLanguages) {
  const HMODULE exe = LoadLibraryExW(Beside(L"Sopora.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  std::vector<UINT> blocks;  // block n holds the strings (n - 1) * 16 ...
  EnumResourceNamesW(exe, RT_STRING, AddStringBlock, reinterpret_cast<LONG_PTR>(&blocks));
  const std::wregex PLACEHOLDER(L"\\{(\\d)\\}");
  int compared = 0;
  constexpr LANGID JAPANESE = 0x411, ENGLISH_US = 0x409;
  for (const LANGID language : {JAPANESE, ENGLISH_US}) {
    for (const UINT block : blocks) {
      const HRSRC found = FindResourceExW(exe, RT_STRING, MAKEINTRESOURCEW(block), language);
      ASSERT_NE(found, nullptr) << block;
      const auto* entry = static_cast<const wchar_t*>(LockResource(LoadResource(exe, found)));
      for (UINT index = 0; index < 16; ++index, entry += 1 + *entry) {
        const std::wstring text(entry + 1, *entry);
        if (text.empty()) continue;
        const UINT id = (block - 1) * 16 + index;
        EXPECT_EQ(FromMessageTable(exe, id, language), std::regex_replace(text, PLACEHOLDER, L"<$1>"))
            << id << " in language " << language;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 150);  // the walk did read the tables
  FreeLibrary(exe);
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// Where Windows cannot limit the search to the system folder, each library
// is named by its full path there.
TEST(SystemLibraryWin, TheFallbackLoadsFromTheSystemFolder) {
  wchar_t system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  for (const wchar_t* name : {L"pdh.dll", L"powrprof.dll", L"wtsapi32.dll"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
    ASSERT_EQ(GetModuleHandleW(name), nullptr);  // loaded here, not found loaded already
    const HMODULE module = LoadFromSystemFolder(name);
    ASSERT_NE(module, nullptr);
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(module, path, MAX_PATH), 0u);
    EXPECT_EQ(Lower(path), Lower(std::wstring(system) + L"\\" + name));
  }
}

}  // namespace
}  // namespace sopora
