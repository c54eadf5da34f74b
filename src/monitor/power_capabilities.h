// What this machine's power management can do, and what Sopora tells the
// user when the configured power action is not among it. Most laptops sold
// since 2020 have no S3 standby (they use Modern Standby), and hibernation
// is often switched off.
#pragma once

#include <cstdint>

#include "text/messages.h"

namespace sopora {

struct PowerCapabilities {
  bool known = false;            // false: the query failed, and everything counts as available
  bool sleepStates = false;      // S1, S2 or S3 standby
  bool hibernation = false;      // S4
  bool hibernationFile = false;  // hiberfil.sys exists, so S4 can really be entered
  bool modernStandby = false;    // AoAc: the machine sleeps by Modern Standby instead
  bool mayShutDown = true;       // the user holds SeShutdownPrivilege (a standard user on Server does not)
  bool operator==(const PowerCapabilities&) const = default;
};

// Why the method (the Method setting) cannot be performed here, in the
// user's words and with what they can do; 0 when it can, when the
// capabilities are unknown (as before they were read), for a shutdown the
// user may make, and for a value outside 0 to 2. Modern Standby is not a way into standby: no
// undocumented call is made to reach it.
MessageId UnavailableMethodReason(const PowerCapabilities& capabilities, std::int32_t method);

}  // namespace sopora
