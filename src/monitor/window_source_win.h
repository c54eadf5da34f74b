#pragma once

#include "monitor/window_source.h"

namespace sopora {

// EnumWindows and the W window queries, titles converted to CP932.
class Win32WindowSource : public WindowSource {
 public:
  void ForEachTopWindow(const std::function<void(WindowId)>& visit) override;
  std::string Title(WindowId window) override;
  std::string ClassName(WindowId window) override;
  bool IsVisible(WindowId window) override;
  bool HasParent(WindowId window) override;
};

}  // namespace sopora
