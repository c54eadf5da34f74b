// Top-level window enumeration as the exception test needs it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace sopora {

using WindowId = std::uintptr_t;

class WindowSource {
 public:
  virtual ~WindowSource() = default;
  // Calls `visit` for every top-level window, topmost first.
  virtual void ForEachTopWindow(const std::function<void(WindowId)>& visit) = 0;
  // CP932 texts, at most 259 bytes, cut at a character boundary.
  virtual std::string Title(WindowId window) = 0;
  virtual std::string ClassName(WindowId window) = 0;
  virtual bool IsVisible(WindowId window) = 0;
  virtual bool HasParent(WindowId window) = 0;
};

}  // namespace sopora
