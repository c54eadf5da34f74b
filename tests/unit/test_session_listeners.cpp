// The hook library's table of which window hears which session's input:
// two users signed in at once, instances that end, and a full table.
#include <gtest/gtest.h>

#include "hooklib/session_listeners.h"

namespace sopora {
namespace {

TEST(SessionListenersTest, EachSessionHearsItsOwnInputAndKeepsHearingItWhenTheOtherEnds) {
  SessionListeners listeners{};
  constexpr std::uint32_t FIRST = 1, SECOND = 2, NOBODY = 3;
  constexpr std::uintptr_t FIRST_WINDOW = 0x1010, SECOND_WINDOW = 0x2020, FIRST_RESTARTED = 0x3030;

  ASSERT_TRUE(AddListener(listeners, FIRST, FIRST_WINDOW));
  ASSERT_TRUE(AddListener(listeners, SECOND, SECOND_WINDOW));  // the second user's start takes nothing away
  EXPECT_EQ(ListenerOf(listeners, FIRST), FIRST_WINDOW);
  EXPECT_EQ(ListenerOf(listeners, SECOND), SECOND_WINDOW);
  EXPECT_EQ(ListenerOf(listeners, NOBODY), 0u);  // no one to tell: nothing is posted

  RemoveListener(listeners, SECOND, SECOND_WINDOW);
  EXPECT_EQ(ListenerOf(listeners, FIRST), FIRST_WINDOW);
  EXPECT_EQ(ListenerOf(listeners, SECOND), 0u);

  // An instance that ended without removing itself is replaced by the next
  // one of its session; the late removal of the old one then changes nothing.
  ASSERT_TRUE(AddListener(listeners, FIRST, FIRST_RESTARTED));
  RemoveListener(listeners, FIRST, FIRST_WINDOW);
  EXPECT_EQ(ListenerOf(listeners, FIRST), FIRST_RESTARTED);

  // Session 0 (services) is a session like any other, not a free slot.
  ASSERT_TRUE(AddListener(listeners, 0, 0x4040));
  EXPECT_EQ(ListenerOf(listeners, 0), 0x4040u);
  EXPECT_EQ(ListenerOf(listeners, FIRST), FIRST_RESTARTED);
}

TEST(SessionListenersTest, AFullTableRefusesANewSessionButServesTheOthers) {
  SessionListeners listeners{};
  for (std::uint32_t session = 0; session < LISTENER_SLOTS; ++session) {
    ASSERT_TRUE(AddListener(listeners, session, 100 + session));
  }
  EXPECT_FALSE(AddListener(listeners, 99, 999));
  EXPECT_EQ(ListenerOf(listeners, 99), 0u);
  EXPECT_TRUE(AddListener(listeners, 5, 555));  // a session already there still takes its slot over
  EXPECT_EQ(ListenerOf(listeners, 5), 555u);

  RemoveListener(listeners, 7, 107);  // a session ends: its slot is free again
  EXPECT_TRUE(AddListener(listeners, 99, 999));
  EXPECT_EQ(ListenerOf(listeners, 99), 999u);
}

}  // namespace
}  // namespace sopora
