// The security descriptor of the mapping through which the hook library
// finds this session's Sopora: who may read it, that nobody may write it,
// and that no malformed SID can change what it says.
#include <gtest/gtest.h>

#include "hooklib/listener_security.h"

namespace sopora {
namespace {

TEST(ListenerSecurityTest, OnlyTheReaderMayReadAndNobodyMayWrite) {
  struct Case {
    const wchar_t* sid;
    const wchar_t* expected;
  };
  const Case cases[] = {
      // The logon SID of an interactive sign-in.
      {L"S-1-5-5-0-123456", L"D:P(A;;0x4;;;S-1-5-5-0-123456)(A;;RC;;;OW)S:(ML;;NW;;;ME)"},
      // A user's own SID, where the token has no logon SID.
      {L"S-1-5-21-1004336348-1177238915-682003330-1001",
       L"D:P(A;;0x4;;;S-1-5-21-1004336348-1177238915-682003330-1001)(A;;RC;;;OW)S:(ML;;NW;;;ME)"},
      // The largest values a SID can hold, as Windows writes them.
      {L"S-1-0xFFFFFFFFFFFF-4294967295", L"D:P(A;;0x4;;;S-1-0xFFFFFFFFFFFF-4294967295)(A;;RC;;;OW)S:(ML;;NW;;;ME)"},
      {L"S-1-281474976710655-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15",
       L"D:P(A;;0x4;;;S-1-281474976710655-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15)(A;;RC;;;OW)S:(ML;;NW;;;ME)"},
  };
  for (const Case& c : cases) {
    const auto sddl = ListenerMappingSddl(c.sid);
    ASSERT_TRUE(sddl.has_value()) << testing::PrintToString(std::wstring(c.sid));
    EXPECT_EQ(*sddl, c.expected);
  }
}

TEST(ListenerSecurityTest, AnythingButAWellFormedSidIsRefused) {
  const wchar_t* const refused[] = {
      L"",
      L"S-1-5",                                   // an authority without a subauthority
      L"S-1-5-",                                  // an empty subauthority
      L"S-1--5-5",
      L"S-2-5-5-0-1",                             // another revision
      L"s-1-5-5-0-1",
      L" S-1-5-5-0-1",
      L"S-1-5-5-0-1 ",
      L"S-1-5-4294967296",                        // a subauthority beyond 32 bits
      L"S-1-281474976710656-1",                   // an authority beyond 48 bits
      L"S-1-0x1234-5",                            // hex, but not as Windows writes it
      L"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16",  // sixteen subauthorities
      L"WD",                                      // an alias, not a SID string: everyone
      L"S-1-5-5-0-1)(A;;GA;;;WD",                 // an entry of its own smuggled in
      L"S-1-5-5-0-1;",
  };
  for (const wchar_t* sid : refused) {
    EXPECT_FALSE(ListenerMappingSddl(sid).has_value()) << testing::PrintToString(std::wstring(sid));
  }
}

}  // namespace
}  // namespace sopora
