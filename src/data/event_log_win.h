// The event source "Sopora" of the Application log.
#pragma once

#include <windows.h>

#include "data/event_log.h"
#include "framework/win_handles.h"

namespace sopora {

class Win32EventSource : public EventSink {
 public:
  // Opened at the first event, so a run that writes none never opens it.
  unsigned long Report(EventLevel level, MessageId eventId, const std::vector<std::string>& insertions) override;

 private:
  UniqueHandle<HANDLE, DeregisterEventSource> m_source;
};

// Whether an administrator registered the source (the all-users installer
// does): only then can Event Viewer find the texts of its events.
bool IsEventSourceRegistered();

}  // namespace sopora
