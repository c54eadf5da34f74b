// The application message box.
#pragma once

#include "data/notifier.h"

namespace sopora {

class Win32Notifier : public Notifier {
 public:
  void ShowWarning(const Message& message) override;
};

// The process-wide message box every store of the program uses.
Notifier& Win32MessageBox();

}  // namespace sopora
