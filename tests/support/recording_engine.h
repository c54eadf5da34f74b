// One recorder for every seam of the monitoring engine: each call becomes a
// line in one ordered list, so a test states a whole scenario as "these
// calls, in this order". Messages are recorded as a Japanese user reads
// them.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "monitor/idle_monitor.h"
#include "monitor/power_api.h"
#include "monitor/power_controller.h"
#include "monitor/reboot_countdown.h"
#include "support/rc_catalog.h"

namespace sopora {

class EngineRecorder : public MonitorTimers,
                       public LoadSource,
                       public ExceptionWindowTest,
                       public TrayPictures,
                       public LiveDisplay,
                       public OperationLog,
                       public PowerTransition,
                       public PowerApi,
                       public RebootPrompt,
                       public CountdownView {
 public:
  std::vector<std::string> calls;
  std::vector<std::pair<int, std::string>> logLines;

  // Scripted answers.
  double cpu = 5.0;
  std::int32_t network = 0;
  std::int32_t disk = 0;
  bool exceptionWindow = false;
  std::string exceptionTitle = "無題 - メモ帳";
  std::optional<PowerMethod> plannedMethod = PowerMethod::Standby;
  bool notificationTaken = true;
  bool nt = true;
  PowerCapabilities capabilities;  // unknown unless a test says otherwise
  PowerRequestResult suspendResult{true, 0};
  PowerRequestResult exitResult{true, 0};
  PowerRequestResult initiateShutdownResult{true, 0};
  bool confirmReboot = false;
  // Things the world does while a call is in progress (a message loop runs).
  std::function<void()> duringExceptionTest;
  std::function<void()> duringUpdateMeters;
  std::function<void()> duringPowerAction;
  std::function<void()> duringSuspend;
  std::function<void()> duringRebootPrompt;

  void Clear() {
    calls.clear();
    logLines.clear();
  }

  // MonitorTimers
  void SetTimer(unsigned id, unsigned periodMs) override {
    Record("SetTimer " + std::to_string(id) + " " + std::to_string(periodMs));
  }
  void KillTimer(unsigned id) override { Record("KillTimer " + std::to_string(id)); }
  // LoadSource
  double ReadCpuLoad() override { return Record("ReadCpuLoad"), cpu; }
  std::int32_t ReadNetworkLoad() override { return Record("ReadNetworkLoad"), network; }
  std::int32_t ReadDiskLoad() override { return Record("ReadDiskLoad"), disk; }
  bool CpuByIdleProcess() const override { return false; }
  // ExceptionWindowTest
  std::optional<std::string> ExceptWindowTitle() override {
    Record("IsExceptWindowPresent");
    Run(duringExceptionTest);
    return exceptionWindow ? std::optional<std::string>(exceptionTitle) : std::nullopt;
  }
  // TrayPictures
  void ShowNormalIcon() override { Record("ShowNormalIcon"); }
  void ShowPausedIcon() override { Record("ShowPausedIcon"); }
  void ShowExceptIcon() override { Record("ShowExceptIcon"); }
  bool ShowNotification(const Message& text) override {
    Record("ShowNotification " + rc::InJapanese(text));
    return notificationTaken;
  }
  bool ShowSettingsNotification(const Message& text) override {
    Record("ShowSettingsNotification " + rc::InJapanese(text));
    return notificationTaken;
  }
  void HideNotification() override { Record("HideNotification"); }
  // LiveDisplay
  void UpdateMeters() override {
    Record("UpdateMeters");
    Run(duringUpdateMeters);
  }
  // OperationLog
  void AddLog(std::int32_t kind, const Message& message) override {
    const std::string text = rc::InJapanese(message);
    Record("AddLog " + std::to_string(kind) + " " + text);
    logLines.emplace_back(kind, text);
  }
  // PowerTransition
  void DoPowerAction() override {
    Record("DoPowerAction");
    Run(duringPowerAction);
  }
  std::optional<PowerMethod> PlannedMethod() const override { return plannedMethod; }
  // PowerApi
  bool IsNtPlatform() override { return nt; }
  PowerCapabilities QueryCapabilities() override {
    Record("QueryCapabilities");
    return capabilities;
  }
  bool AdjustPrivilege(const char* name, bool enable) override {
    Record(std::string("AdjustPrivilege ") + name + (enable ? " on" : " off"));
    return true;
  }
  PowerRequestResult Suspend(bool hibernate) override {
    Record(hibernate ? "Suspend hibernate" : "Suspend standby");
    Run(duringSuspend);
    return suspendResult;
  }
  PowerRequestResult ExitSession(std::uint32_t flags, std::uint32_t reason) override {
    Record("ExitSession " + std::to_string(flags) + (reason == PLANNED_SHUTDOWN_REASON ? " planned" : ""));
    return exitResult;
  }
  PowerRequestResult StartShutdown(std::uint32_t flags, std::uint32_t reason) override {
    Record("InitiateShutdown " + std::to_string(flags) + (reason == PLANNED_SHUTDOWN_REASON ? " planned" : ""));
    return initiateShutdownResult;
  }
  void StartProcess(const char* commandLine) override { Record(std::string("StartProcess ") + commandLine); }
  void Beep(std::uint32_t type) override { Record("Beep " + std::to_string(type)); }
  // RebootPrompt
  bool ConfirmReboot() override {
    Record("ConfirmReboot");
    Run(duringRebootPrompt);
    return confirmReboot;
  }
  // CountdownView
  void SetProgressRange(int low, int high) override {
    Record("SetProgressRange " + std::to_string(low) + " " + std::to_string(high));
  }
  void SetProgressPos(int position) override { Record("SetProgressPos " + std::to_string(position)); }
  void SetRemainText(const Message& text) override { Record("SetRemainText " + rc::InJapanese(text)); }
  void StartTimer(unsigned id, unsigned periodMs) override {
    Record("StartTimer " + std::to_string(id) + " " + std::to_string(periodMs));
  }
  void EndDialog(int result) override { Record("EndDialog " + std::to_string(result)); }

  int Count(const std::string& call) const {
    int n = 0;
    for (const std::string& c : calls) n += c == call;
    return n;
  }

 private:
  void Record(std::string call) { calls.push_back(std::move(call)); }
  static void Run(const std::function<void()>& action) {
    if (action) action();
  }
};

inline IdleMonitorServices ServicesOf(EngineRecorder& r) { return {r, r, r, r, r, r, r}; }

}  // namespace sopora
