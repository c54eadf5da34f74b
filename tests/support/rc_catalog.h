// The program's string tables as the tests read them, so that a test can
// state the texts a user reads. The Windows tests are linked with the
// program's resources and look them up as the program does; the native
// tests read the resource scripts (and can compare the two languages'
// menus and dialogs).
#pragma once

#include "text/messages.h"

#ifdef _WIN32
#include "framework/ui_language_win.h"

namespace sopora::rc {
inline std::string InJapanese(const Message& message) {
  return Format(ResourceText(UiLanguage::Japanese), message);
}
}  // namespace sopora::rc
#else
#include <iconv.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace sopora::rc {

inline std::string ReadSourceFile(const std::string& relativePath) {
  std::ifstream in(std::string(SOPORA_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + relativePath);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The script of one language: "ja" or "en".
inline std::vector<std::string> ScriptLines(const std::string& language) {
  return Lines(ReadSourceFile("src/res/Sopora." + language + ".rc"));
}

// resource.h's "#define NAME number".
inline std::map<std::string, unsigned> ResourceIds() {
  static const std::regex DEFINE(R"(^#define\s+(\w+)\s+\(?(-?\d+)\)?)");
  std::map<std::string, unsigned> ids;
  std::smatch match;
  for (const std::string& line : Lines(ReadSourceFile("src/res/resource.h"))) {
    if (std::regex_search(line, match, DEFINE)) ids[match[1]] = static_cast<unsigned>(std::stol(match[2]));
  }
  return ids;
}

// A resource-compiler string literal's contents: "" is a quote, \n a line
// break, \\ a backslash.
inline std::string Unescape(const std::string& literal) {
  std::string text;
  for (std::size_t at = 0; at < literal.size(); ++at) {
    if (literal[at] == '"' && at + 1 < literal.size() && literal[at + 1] == '"') {
      text += '"';
      ++at;
    } else if (literal[at] == '\\' && at + 1 < literal.size()) {
      const char next = literal[++at];
      text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    } else {
      text += literal[at];
    }
  }
  return text;
}

// The lines of STRINGTABLE blocks: symbolic id -> UTF-8 text.
inline std::map<std::string, std::string> StringTable(const std::vector<std::string>& script) {
  static const std::regex ENTRY(R"re(^\s+(\w+),?\s+"((?:[^"]|"")*)"\s*$)re");
  std::map<std::string, std::string> table;
  bool inTable = false;
  std::smatch match;
  for (const std::string& line : script) {
    if (line.starts_with("STRINGTABLE")) inTable = true;
    if (line == "END") inTable = false;
    if (inTable && std::regex_match(line, match, ENTRY)) table[match[1]] = Unescape(match[2]);
  }
  return table;
}

inline std::string Cp932FromUtf8(const std::string& utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  std::string in = utf8, out(utf8.size() * 2 + 1, '\0');
  char* source = in.data();
  char* target = out.data();
  std::size_t sourceLeft = in.size(), targetLeft = out.size();
  const std::size_t result = iconv(converter, &source, &sourceLeft, &target, &targetLeft);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) throw std::runtime_error("not CP932: " + utf8);
  out.resize(out.size() - targetLeft);
  return out;
}

// The string table of one language, as the program formats its messages.
class Catalog : public TextCatalog {
 public:
  explicit Catalog(const std::string& language) {
    const std::map<std::string, unsigned> ids = ResourceIds();
    for (const auto& [name, text] : StringTable(ScriptLines(language))) {
      m_texts[ids.at(name)] = language == "ja" ? Cp932FromUtf8(text) : text;
    }
  }
  std::string Text(MessageId id) const override {
    const auto found = m_texts.find(id);
    return found == m_texts.end() ? "<no text " + std::to_string(id) + ">" : found->second;
  }

 private:
  std::map<MessageId, std::string> m_texts;
};

inline const Catalog& Japanese() {
  static const Catalog catalog("ja");
  return catalog;
}

// The fields of a script line after its keyword, split at the commas
// outside quotes.
inline std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  for (std::string& field : fields) {
    field.erase(0, field.find_first_not_of(" \t"));
    field.erase(field.find_last_not_of(" \t") + 1);
  }
  return fields;
}

// What a language may not change of a menu or dialog: its entries in order,
// each as its keyword, ids, classes and styles, without texts and places.
inline std::string Shape(const std::string& line) {
  std::istringstream in(line);
  std::string keyword, rest;
  in >> keyword;
  std::getline(in, rest);
  if (keyword == "BEGIN" || keyword == "END" || keyword == "POPUP") return keyword;
  std::string shape = keyword;
  const std::vector<std::string> fields = Fields(rest);
  for (const std::string& field : fields) {
    const bool text = &field == &fields.front() && field.starts_with('"');  // a class name stays
    const bool number = !field.empty() && field.find_first_not_of("0123456789") == std::string::npos;
    if (!text && !number && !field.empty()) shape += " " + field;
  }
  return shape;
}

// Every menu and dialog of a script: name -> its header's style (dialogs)
// and the shapes of its entries.
inline std::map<std::string, std::vector<std::string>> MenusAndDialogs(const std::vector<std::string>& script) {
  static const std::regex START(R"(^(\w+)\s+(MENU|DIALOGEX)\b)");
  std::map<std::string, std::vector<std::string>> blocks;
  std::vector<std::string>* block = nullptr;
  int depth = 0;
  std::smatch match;
  for (const std::string& line : script) {
    if (!block && std::regex_search(line, match, START)) {
      block = &blocks[match[1]];
      depth = 0;
      continue;
    }
    if (!block) continue;
    if (line.starts_with("STYLE")) block->push_back(line);
    if (line.starts_with("STYLE") || line.starts_with("CAPTION") || line.starts_with("FONT")) continue;
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 2, "//") == 0) continue;
    block->push_back(Shape(line));
    if (block->back() == "BEGIN") ++depth;
    if (block->back() == "END" && --depth == 0) block = nullptr;
  }
  return blocks;
}

// What a Japanese user reads of the message.
inline std::string InJapanese(const Message& message) { return Format(Japanese(), message); }

}  // namespace sopora::rc
#endif
