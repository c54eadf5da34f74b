// How this session's keyboard and mouse input reaches the main window.
// The hook library, running inside every program of the desktop, finds the
// window through a named mapping in the session's Local\ namespace that only
// this process can write and the user's programs may read. Where the mapping
// cannot be made (its name is held by another program, say), the hooks are
// not installed, since they would report to whatever that mapping names;
// the session's last input time, which the tick reads anyway, stands in for
// them then.
#pragma once

#include <windows.h>

#include "framework/win_handles.h"
#include "hooklib/listener_record.h"

namespace sopora {

class InputListener {
 public:
  InputListener() = default;
  ~InputListener() { Withdraw(); }
  InputListener(const InputListener&) = delete;
  InputListener& operator=(const InputListener&) = delete;

  // Creates the mapping afresh and names `window` in it: true when the hooks
  // can report to it. Never writes into a mapping of that name it did not
  // create.
  bool Publish(HWND window);
  // Names no window any more and closes the mapping, so that the next
  // Sopora of the session can create it afresh. Remove the hooks first.
  void Withdraw();

 private:
  bool CreateMapping();

  UniqueKernelHandle m_mapping;
  UniqueMappedView<ListenerRecord> m_record;  // writable through the creator's handle only
};

}  // namespace sopora
