// Who may do what with the mapping that names the input listener.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sopora {

// The security descriptor (SDDL) of the listener mapping, given the SID
// (S-1-... form) of whoever must read it: the signed-in user's logon SID,
// held by every program of the session, elevated or not (the user's own
// SID where the token has no logon SID).
//
// - Read access for that SID and for nobody else.
// - No write access for anyone: Sopora writes through the handle it gets
//   as the mapping's creator, which has full access whatever the DACL says.
//   The OWNER RIGHTS entry takes away the owner's implicit right to change
//   the DACL, so nobody can grant themselves write access later.
// - A medium mandatory label with no-write-up, so sandboxed programs of a
//   lower integrity level may read it, never write.
//
// Empty when `readerSid` is not a well-formed SID string, so that nothing
// else can be slipped into the descriptor.
std::optional<std::wstring> ListenerMappingSddl(std::wstring_view readerSid);

}  // namespace sopora
