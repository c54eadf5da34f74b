#include "dialogs/settings_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "text/text_field.h"

namespace sopora {

namespace {
// The whole 32-bit spin result, cut to the setting's maximum.
std::int32_t CutToMaximum(std::uint32_t spinResult, std::int32_t maximum, bool& cut) {
  cut = spinResult > static_cast<std::uint32_t>(maximum);
  return cut ? maximum : static_cast<std::int32_t>(spinResult);
}
}  // namespace

const DialogField* FindDialogField(std::string_view key) {
  const auto found = std::ranges::find(DIALOG_FIELDS, key, &DialogField::key);
  return found == std::end(DIALOG_FIELDS) ? nullptr : found;
}

AppliedSettings ApplySettingsInput(const SettingsDialogInput& input) {
  AppliedSettings applied{};
  applied.CPUBorder = CutToMaximum(input.cpuBorderSpin, CPU_BORDER_RANGE_MAX, applied.cpuBorderCut);
  applied.Interval = CutToMaximum(input.intervalSpin, INTERVAL_RANGE_MAX, applied.intervalCut);
  applied.MAXTime = CutToMaximum(input.maxTimeSpin, MAX_TIME_RANGE_MAX, applied.maxTimeCut);
  applied.Method = input.methodSelection;
  return applied;
}

Message MethodListText(std::int32_t method, bool unavailable) {
  if (!unavailable) return METHOD_NAMES[method];
  return {IDS_METHOD_UNAVAILABLE, {METHOD_NAMES[method]}};
}

std::string OneSentencePerLine(std::string_view text) {
  constexpr std::string_view FULL_STOP = "。";
  std::string lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    const std::string_view character = text.substr(at, width);
    at += width;
    if (character == " " && lines.ends_with('.') && at < text.size()) {
      lines += '\n';  // an English sentence ends with ". "
      continue;
    }
    lines += character;
    if (character == FULL_STOP && at < text.size()) lines += '\n';
  }
  return lines;
}

std::string FormatTrafficCaption(std::int32_t load, std::int32_t border) {
  char text[48];
  std::snprintf(text, sizeof text, "%d/(%d) KB/s", static_cast<int>(load), static_cast<int>(border));
  return text;
}

LoadMeterStyle SettingsMeterStyle(bool cpuByIdleProcess, std::int32_t threshold) {
  LoadMeterStyle style;
  style.thresholdLineWidth = 2;
  style.curveLineWidth = 2;
  style.background = Rgb(0, 0, 64);
  style.thresholdColour = Rgb(255, 0, 0);
  style.curveColour = cpuByIdleProcess ? Rgb(128, 255, 128) : Rgb(255, 255, 255);
  style.gridColour = Rgb(0, 160, 0);
  style.scaleMaximum = 100;
  style.scaleMinimum = 0;
  style.thresholdValue = threshold;
  return style;
}

}  // namespace sopora
