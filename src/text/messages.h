// Everything the program says to its user is a message of its string table
// (src/res, in Japanese and in English): the code names a message by its id
// and gives the parts that vary, and the text is looked up in the language
// the program runs in only where it is shown or stored.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "res/resource.h"

namespace sopora {

using MessageId = unsigned;  // an IDS_ id of the string table

// A part that varies: text as it is (a number, a window title; CP932), or
// another message, looked up in the same language.
using MessageArg = std::variant<std::string, MessageId>;

struct Message {
  Message(MessageId message = 0, std::vector<MessageArg> arguments = {})  // NOLINT: an id alone is a message
      : id(message), args(std::move(arguments)) {}
  MessageId id;
  std::vector<MessageArg> args;
  bool operator==(const Message&) const = default;
};

// The string table in one language, as CP932 text.
class TextCatalog {
 public:
  virtual ~TextCatalog() = default;
  // The message's text with its "{0}", "{1}" ... still in it.
  virtual std::string Text(MessageId id) const = 0;
};

// The message's text with "{0}", "{1}" ... replaced by its arguments.
std::string Format(const TextCatalog& catalog, const Message& message);

// The languages Sopora speaks.
enum class UiLanguage { Japanese, English };

// The setting Language ("ja", "en"; anything else, or none, is automatic)
// over the user's UI language (a Windows LANGID): Japanese for a Japanese
// user, English for everyone else.
UiLanguage ChooseUiLanguage(const std::string& setting, unsigned userUiLanguage);

}  // namespace sopora
