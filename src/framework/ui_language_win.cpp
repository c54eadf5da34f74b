#include "framework/ui_language_win.h"

#include "framework/text_win.h"

namespace sopora {

namespace {
UiLanguage g_language = UiLanguage::Japanese;

LANGID LanguageId(UiLanguage language) {
  return language == UiLanguage::Japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)
                                          : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

const void* ResourceIn(UiLanguage language, LPCWSTR type, LPCWSTR name) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceExW(module, type, name, LanguageId(language));
  const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  return loaded ? LockResource(loaded) : nullptr;
}

// The resource in the chosen language, else in Japanese.
const void* FindUiResource(LPCWSTR type, LPCWSTR name) {
  const void* resource = ResourceIn(g_language, type, name);
  return resource ? resource : ResourceIn(UiLanguage::Japanese, type, name);
}

// A string table resource holds sixteen strings, each a length and that
// many UTF-16 units; an empty one is a string that does not exist.
std::wstring StringIn(UiLanguage language, UINT id) {
  const auto* entry = static_cast<const WCHAR*>(ResourceIn(language, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1)));
  if (!entry) return {};
  for (UINT index = 0; index < id % 16; ++index) entry += 1 + *entry;
  return std::wstring(entry + 1, *entry);
}

std::wstring StringOrJapanese(UiLanguage language, UINT id) {
  std::wstring text = StringIn(language, id);
  return text.empty() ? StringIn(UiLanguage::Japanese, id) : text;
}

class ResourceCatalog : public TextCatalog {
 public:
  explicit ResourceCatalog(UiLanguage language) : m_language(language) {}
  std::string Text(MessageId id) const override { return NarrowCp932(StringOrJapanese(m_language, id)); }

 private:
  UiLanguage m_language;
};
}  // namespace

void SetUiLanguage(UiLanguage language) { g_language = language; }

UiLanguage CurrentUiLanguage() { return g_language; }

const TextCatalog& ResourceText(UiLanguage language) {
  static const ResourceCatalog japanese(UiLanguage::Japanese), english(UiLanguage::English);
  return language == UiLanguage::Japanese ? japanese : english;
}

const TextCatalog& UiText() { return ResourceText(g_language); }

std::wstring UiString(UINT id) { return StringOrJapanese(g_language, id); }

std::wstring UiMessage(const Message& message) { return WidenCp932(Format(UiText(), message)); }

HMENU LoadUiMenu(UINT id) {
  const void* menu = FindUiResource(RT_MENU, MAKEINTRESOURCEW(id));
  return menu ? LoadMenuIndirectW(menu) : nullptr;
}

const DLGTEMPLATE* UiDialogTemplate(UINT id) {
  return static_cast<const DLGTEMPLATE*>(FindUiResource(RT_DIALOG, MAKEINTRESOURCEW(id)));
}

}  // namespace sopora
