// Writes the administrative templates into a folder (the repository's
// policy/ folder when they are brought up to date):
//   make_policy_templates <folder>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "policy/policy_templates.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_policy_templates <folder>\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const sopora::PolicyTemplates templates = sopora::MakePolicyTemplates();
  for (const auto& [file, text] :
       {std::pair{"Sopora.admx", &templates.admx}, std::pair{"en-US/Sopora.adml", &templates.englishAdml},
        std::pair{"ja-JP/Sopora.adml", &templates.japaneseAdml}}) {
    const std::filesystem::path path = folder / file;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << *text;
    if (!out.flush()) {
      std::cerr << "cannot write " << path << "\n";
      return 1;
    }
  }
  return 0;
}
