#include "monitor/power_capabilities.h"

#include "data/monitor_settings.h"

namespace sopora {

namespace {
bool CanHibernate(const PowerCapabilities& c) { return c.hibernation && c.hibernationFile; }

// What does work instead on a Modern Standby machine: shutdown always,
// hibernation when it is on.
MessageId NoStandbyReason(const PowerCapabilities& c) {
  if (!c.modernStandby) return IDS_REASON_NO_STANDBY;
  return CanHibernate(c) ? IDS_REASON_MODERN_STANDBY : IDS_REASON_MODERN_STANDBY_NO_HIBERNATION;
}
}  // namespace

MessageId UnavailableMethodReason(const PowerCapabilities& c, std::int32_t method) {
  switch (static_cast<PowerMethod>(method)) {
    case PowerMethod::Standby:
      return !c.known || c.sleepStates ? 0 : NoStandbyReason(c);
    case PowerMethod::Hibernate:
      return !c.known || CanHibernate(c) ? 0 : IDS_REASON_HIBERNATION_OFF;
    case PowerMethod::Shutdown:
      return c.mayShutDown ? 0 : IDS_REASON_NO_SHUTDOWN_PRIVILEGE;
  }
  return 0;
}

}  // namespace sopora
