// The application's message box, used only for the load failures of the two
// data files.
#pragma once

#include "text/messages.h"

namespace sopora {

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Shows the message in the program's language with the caption
  // "Sopora", an OK button and the warning icon, and returns once the user
  // has closed it.
  virtual void ShowWarning(const Message& message) = 0;
};

}  // namespace sopora
