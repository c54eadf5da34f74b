// What the input hooks tell of mouse events, the dead zone for moves, and
// how often one hooked program may post.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hooklib/input_activity.h"
#include "hooklib/report_limiter.h"

namespace sopora {
namespace {

TEST(InputActivityTest, MovesAreReportedOnceTheyLeaveTheDeadZone) {
  constexpr unsigned MOVE = 0x200, NC_MOVE = 0xA0;
  struct Step {
    unsigned message;
    ScreenPoint to;
    MouseActivity expected;
    ScreenPoint referenceAfter;
  };
  // A process that has not reported before starts from (0, 0).
  const Step steps[] = {
      {MOVE, {3, 3}, MouseActivity::Jitter, {0, 0}},  // 3 right and 3 down: jitter
      {MOVE, {3, -3}, MouseActivity::Jitter, {0, 0}},
      {MOVE, {0, 0}, MouseActivity::Jitter, {0, 0}},  // back on the same pixel
      {MOVE, {4, 0}, MouseActivity::Move, {4, 0}},    // 4 on one axis is enough
      {MOVE, {6, 3}, MouseActivity::Jitter, {4, 0}},  // measured from the last reported point
      {MOVE, {7, 3}, MouseActivity::Jitter, {4, 0}},
      {MOVE, {7, 4}, MouseActivity::Move, {7, 4}},  // slow drift is reported once it adds up
      {MOVE, {3, 4}, MouseActivity::Move, {3, 4}},  // leftwards counts too
      {MOVE, {3, 0}, MouseActivity::Move, {3, 0}},
      {MOVE, {-1000, -1000}, MouseActivity::Move, {-1000, -1000}},  // other monitors lie at negative coordinates
      {NC_MOVE, {-998, -1001}, MouseActivity::Jitter, {-1000, -1000}},  // jitter over a title bar
      {NC_MOVE, {-990, -1000}, MouseActivity::Unreported, {-990, -1000}},
  };
  ScreenPoint reference{0, 0};
  for (const Step& step : steps) {
    EXPECT_EQ(ClassifyMouseMessage(step.message, step.to, reference), step.expected) << step.to.x << "," << step.to.y;
    EXPECT_EQ(reference.x, step.referenceAfter.x);
    EXPECT_EQ(reference.y, step.referenceAfter.y);
  }
}

TEST(InputActivityTest, ButtonsAreReportedAndTheWheelIsLeftToTheBackstop) {
  struct Case {
    unsigned message;
    MouseActivity expected;
  };
  const Case cases[] = {
      {0x201, MouseActivity::Button},      // left down
      {0x202, MouseActivity::Button},      // left up
      {0x203, MouseActivity::Button},      // left double click
      {0x204, MouseActivity::Button},      // right down
      {0x206, MouseActivity::Button},
      {0x207, MouseActivity::Button},      // middle down
      {0x209, MouseActivity::Button},      // middle double click
      {0x20A, MouseActivity::Unreported},  // wheel
      {0x20B, MouseActivity::Unreported},  // extra buttons
      {0x20E, MouseActivity::Unreported},  // horizontal wheel
      {0x0A1, MouseActivity::Unreported},  // non-client button
      {0x0AD, MouseActivity::Unreported},  // non-client extra button double click
      {0x2A1, MouseActivity::None},        // hover: made by Windows, not by the user
      {0x2A3, MouseActivity::None},        // leave
  };
  for (const Case& c : cases) {
    ScreenPoint reference{0, 0};
    EXPECT_EQ(ClassifyMouseMessage(c.message, {50, 50}, reference), c.expected) << std::hex << c.message;
    EXPECT_EQ(reference.x, 0);  // only moves change the reference
  }
}

// Events of one hooked program and what it posts for each: A a report, J a
// jitter notice, U other input the reports leave out, - nothing.
TEST(ReportLimiterTest, AProgramPostsAtMostFourTimesASecondAndJitterNeverCrowdsOutAKey) {
  enum class Event { Key, Jitter, Wheel };
  struct Case {
    const char* name;
    std::vector<std::pair<Event, std::uint32_t>> events;  // with their tick counts
    std::string posts;
  };
  constexpr auto K = Event::Key, J = Event::Jitter;
  const Case cases[] = {
      {"a burst of keys: four at once, then as the second allows",
       {{K, 0}, {K, 10}, {K, 20}, {K, 30}, {K, 40}, {K, 999}, {K, 1000}, {K, 1005}, {K, 1010}},
       "AAAA--A-A"},
      {"jitter is told twice a second", {{J, 0}, {J, 100}, {J, 499}, {J, 500}, {J, 900}, {J, 1000}}, "J--J-J"},
      {"a key and a wheel turn right after a jitter notice", {{J, 0}, {K, 10}, {Event::Wheel, 20}, {J, 30}}, "JAU-"},
      {"jitter after a burst waits for the second",
       {{K, 0}, {K, 1}, {K, 2}, {J, 3}, {J, 4}, {J, 999}, {J, 1000}},
       "AAAJ--J"},
      {"the tick count wraps",
       {{K, 0xFFFFFE10u}, {K, 0xFFFFFE70u}, {K, 0xFFFFFED4u}, {K, 0xFFFFFF38u}, {K, 300}, {K, 504}},
       "AAAA-A"},
  };
  for (const Case& c : cases) {
    HookReporter hook;
    std::string posts;
    ScreenPoint pointer{1, 1};  // inside the dead zone of a program that has not reported yet
    for (const auto& [event, at] : c.events) {
      std::optional<HookPost> post;
      if (event == Event::Key) post = hook.OnKey(at);
      if (event == Event::Jitter) post = hook.OnMouse(0x200, {pointer.x ^= 1, pointer.y}, at);
      if (event == Event::Wheel) post = hook.OnMouse(0x20A, pointer, at);
      posts += !post ? '-' : post->message == WM_INPUT_ACTIVITY ? 'A' : post->wParam == 1 ? 'J' : 'U';
    }
    EXPECT_EQ(posts, c.posts) << c.name;
  }

  // A pointer storm: 2,000 moves of 5 pixels in 8.5 seconds. The hook used
  // to post every one of them.
  HookReporter hook;
  std::vector<std::uint32_t> posted;
  for (std::int32_t move = 0; move < 2000; ++move) {
    const std::uint32_t at = static_cast<std::uint32_t>(move) * 8500 / 2000;
    if (hook.OnMouse(0x200, {move * 5, 0}, at)) posted.push_back(at);
  }
  EXPECT_EQ(posted.size(), 36u);  // four in each of nine seconds begun
  for (std::size_t i = MAX_POSTS_PER_SECOND; i < posted.size(); ++i) {
    EXPECT_GE(posted[i] - posted[i - MAX_POSTS_PER_SECOND], 1000u) << i;
  }
}

}  // namespace
}  // namespace sopora
