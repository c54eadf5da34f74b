// CLoadMeter: the settings dialog's processor-load graph. It draws
// everything in its background-erase handler, straight into the window.
#pragma once

#include <vector>

#include "dialogs/load_meter_drawing.h"
#include "framework/win_handles.h"
#include "framework/window.h"

namespace sopora {

class CLoadMeter : public CWnd {
 public:
  bool Create(HWND parent, int id);
  // Replaces the style and empties the graph until the next samples.
  void SetStyle(const LoadMeterStyle& style);
  // Copies the history and moves the grid on by one sample step.
  void SetSamples(std::vector<std::int32_t> history);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void LoadDigitGlyphs();
  void Redraw();

  LoadMeterModel m_model;
  UniqueImageList m_digits;
};

}  // namespace sopora
