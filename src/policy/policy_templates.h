// The administrative templates through which an organisation sets Sopora's
// policy: one policy a setting of Sopora.ini, offered as the settings
// dialog offers it, plus the two tray switches only a policy holds. Made
// from the program's own tables, so they cannot drift from what it reads.
#pragma once

#include <string>

namespace sopora {

struct PolicyTemplates {
  std::string admx;          // policy/Sopora.admx
  std::string englishAdml;   // policy/en-US/Sopora.adml
  std::string japaneseAdml;  // policy/ja-JP/Sopora.adml
};

// UTF-8 XML, lines ending in CR LF as Windows' own templates.
PolicyTemplates MakePolicyTemplates();

}  // namespace sopora
