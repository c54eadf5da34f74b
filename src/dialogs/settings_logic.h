// The arithmetic of the settings dialog: what an apply stores, what the
// live display shows, and the meter's look.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "data/monitor_settings.h"
#include "dialogs/load_meter_drawing.h"
#include "text/messages.h"

namespace sopora {

inline constexpr std::int32_t CPU_BORDER_RANGE_MAX = 100;
inline constexpr std::int32_t INTERVAL_RANGE_MAX = 10;
inline constexpr std::int32_t MAX_TIME_RANGE_MAX = 60;
inline constexpr std::int32_t TRAFFIC_BAR_MAX = 1000;

// How the dialog offers a setting of Sopora.ini: the spin boxes with their
// ranges, the list of methods, the check boxes. The administrative
// templates offer the same.
enum class DialogFieldKind { Spin, Choice, Check };
struct DialogField {
  const char* key;
  DialogFieldKind kind;
  std::int32_t lowest;
  std::int32_t highest;
};
inline constexpr DialogField DIALOG_FIELDS[] = {
    {"MAXTime", DialogFieldKind::Spin, 1, MAX_TIME_RANGE_MAX},
    {"Interval", DialogFieldKind::Spin, 1, INTERVAL_RANGE_MAX},
    {"CPUBorder", DialogFieldKind::Spin, 1, CPU_BORDER_RANGE_MAX},
    {"Method", DialogFieldKind::Choice, 0, static_cast<std::int32_t>(std::size(METHOD_NAMES)) - 1},
    {"ResumeReboot", DialogFieldKind::Check, 0, 1},
    {"Retry", DialogFieldKind::Check, 0, 1},
    {"Network", DialogFieldKind::Check, 0, 1},
    {"Disk", DialogFieldKind::Check, 0, 1},
    {"Requests", DialogFieldKind::Check, 0, 1},
};

// The key's field in the dialog; null for a key the dialog does not show.
const DialogField* FindDialogField(std::string_view key);

// A method's line in the open list: its name, marked when this machine
// cannot perform it (the closed box shows the name alone, so nothing is
// cut off in its narrow field).
Message MethodListText(std::int32_t method, bool unavailable);

// A text of one or more sentences: each sentence ("。", or ". " in
// English) on a line of its own, so the lines break where a reader would.
std::string OneSentencePerLine(std::string_view text);

// What the three spin controls and the combo box report on apply. A spin's
// result is taken whole: an empty or out-of-range field sets the control's
// error flag in the upper 16 bits, which puts the value above every maximum.
struct SettingsDialogInput {
  std::uint32_t cpuBorderSpin;
  std::uint32_t intervalSpin;
  std::uint32_t maxTimeSpin;
  std::int32_t methodSelection;  // -1 when nothing is selected
};

// The fields an apply changes, and which of them were cut to their maximum
// (the dialog then shows the cut value in its field).
struct AppliedSettings {
  std::int32_t CPUBorder;
  std::int32_t Interval;
  std::int32_t MAXTime;
  std::int32_t Method;
  bool cpuBorderCut;
  bool intervalCut;
  bool maxTimeCut;
};

AppliedSettings ApplySettingsInput(const SettingsDialogInput& input);

// "12/(300) KB/s": a load against its threshold.
std::string FormatTrafficCaption(std::int32_t load, std::int32_t border);

// The meter as the dialog shows it: the curve lighter when the processor is
// measured through the idle process.
LoadMeterStyle SettingsMeterStyle(bool cpuByIdleProcess, std::int32_t threshold);

}  // namespace sopora
