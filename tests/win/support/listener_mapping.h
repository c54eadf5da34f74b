// The session's listener mapping as a hooked program reads it.
#pragma once

#include <windows.h>

#include <optional>
#include <utility>

#include "framework/win_handles.h"
#include "hooklib/listener_record.h"

namespace sopora {

// The window and process the mapping names, read through a handle opened
// for reading only; empty when there is no mapping.
inline std::optional<std::pair<HWND, DWORD>> ListenerOfTheSession() {
  const UniqueKernelHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, LISTENER_MAPPING_NAME));
  const void* view = mapping ? MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(ListenerRecord)) : nullptr;
  if (!view) return std::nullopt;
  const auto* record = static_cast<const ListenerRecord*>(view);
  const std::pair<HWND, DWORD> listener{static_cast<HWND>(LongToHandle(static_cast<LONG>(record->window.load()))),
                                        record->processId.load()};
  UnmapViewOfFile(view);
  return listener;
}

// A mapping of that name made by another program, with the default security
// (so that program may write it), naming `window` of this process.
inline UniqueKernelHandle TakeTheListenerName(HWND window) {
  UniqueKernelHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                sizeof(ListenerRecord), LISTENER_MAPPING_NAME));
  auto* record = mapping ? static_cast<ListenerRecord*>(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
  if (!record) return UniqueKernelHandle();
  record->window.store(HandleToUlong(window));
  record->processId.store(GetCurrentProcessId());
  UnmapViewOfFile(record);
  return mapping;
}

}  // namespace sopora
