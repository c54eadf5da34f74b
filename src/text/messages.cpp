#include "text/messages.h"

#include "text/text_field.h"

namespace sopora {

// Double-byte characters are copied whole: a trail byte may look like "{".
std::string Format(const TextCatalog& catalog, const Message& message) {
  const std::string pattern = catalog.Text(message.id);
  std::string text;
  for (std::size_t at = 0; at < pattern.size(); ++at) {
    if (IsCp932LeadByte(static_cast<unsigned char>(pattern[at])) && at + 1 < pattern.size()) {
      text += pattern.substr(at++, 2);
      continue;
    }
    const bool placeholder = pattern[at] == '{' && at + 2 < pattern.size() && pattern[at + 2] == '}' &&
                             pattern[at + 1] >= '0' && pattern[at + 1] <= '9';
    const std::size_t index = placeholder ? static_cast<std::size_t>(pattern[at + 1] - '0') : 0;
    if (!placeholder || index >= message.args.size()) {
      text += pattern[at];
      continue;
    }
    const MessageArg& arg = message.args[index];
    text += std::holds_alternative<std::string>(arg) ? std::get<std::string>(arg)
                                                     : catalog.Text(std::get<MessageId>(arg));
    at += 2;
  }
  return text;
}

UiLanguage ChooseUiLanguage(const std::string& setting, unsigned userUiLanguage) {
  if (setting == "ja") return UiLanguage::Japanese;
  if (setting == "en") return UiLanguage::English;
  constexpr unsigned PRIMARY_LANGUAGE_MASK = 0x3FF, LANG_JAPANESE_ID = 0x11;
  return (userUiLanguage & PRIMARY_LANGUAGE_MASK) == LANG_JAPANESE_ID ? UiLanguage::Japanese : UiLanguage::English;
}

}  // namespace sopora
