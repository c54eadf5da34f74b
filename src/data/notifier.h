// The application's message box, used only for the load failures of the two
// data files.
#pragma once

#include <string>

namespace sopora {

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Shows the CP932 text with the caption "Sopora", an OK button and the
  // warning icon, and returns once the user has closed it.
  virtual void ShowWarning(const std::string& text) = 0;
};

}  // namespace sopora
