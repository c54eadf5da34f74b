#include "text/text_field.h"

#include <cstring>

namespace sopora {

std::string_view Cp932Prefix(std::string_view text, std::size_t maxBytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + width > maxBytes || end + width > text.size()) break;
    end += width;
  }
  return text.substr(0, end);
}

void CopyTextToField(char* field, std::size_t fieldSize, std::string_view text) {
  std::memset(field, 0, fieldSize);
  if (fieldSize == 0) return;
  text = text.substr(0, text.find('\0'));
  const std::string_view fitting = Cp932Prefix(text, fieldSize - 1);
  std::memcpy(field, fitting.data(), fitting.size());
}

std::string_view TextOfField(const char* field, std::size_t fieldSize) {
  const void* nul = std::memchr(field, 0, fieldSize);
  const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : fieldSize;
  return {field, length};
}

}  // namespace sopora
