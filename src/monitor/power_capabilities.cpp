#include "monitor/power_capabilities.h"

#include "data/monitor_settings.h"

namespace sopora {

namespace {
bool CanHibernate(const PowerCapabilities& c) { return c.hibernation && c.hibernationFile; }

std::string NoStandbyReason(const PowerCapabilities& c) {
  std::string reason = "このPCはスタンバイ(S3)に対応していません";
  if (!c.modernStandby) return reason;
  // What does work instead: shutdown always, hibernation when it is on.
  return reason + "(モダンスタンバイ)。" + (CanHibernate(c) ? "休止状態かシャットダウン" : "シャットダウン") +
         "を選んでください";
}
}  // namespace

std::string UnavailableMethodReason(const PowerCapabilities& c, std::int32_t method) {
  if (!c.known) return {};
  switch (static_cast<PowerMethod>(method)) {
    case PowerMethod::Standby:
      return c.sleepStates ? std::string() : NoStandbyReason(c);
    case PowerMethod::Hibernate:
      return CanHibernate(c) ? std::string() : "休止状態が無効です。powercfg /hibernate on で有効になります";
    case PowerMethod::Shutdown:
      break;
  }
  return {};
}

}  // namespace sopora
