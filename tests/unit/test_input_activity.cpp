// Which mouse events the input hook reports, and the dead zone for moves.
#include <gtest/gtest.h>

#include <tuple>

#include "hooklib/report_limiter.h"

namespace sopora {
namespace {

TEST(InputActivityTest, MovesAreReportedOnceTheyLeaveTheDeadZone) {
  struct Step {
    ScreenPoint to;
    MouseActivity expected;
    ScreenPoint referenceAfter;
  };
  // A process that has not reported before starts from (0, 0).
  const Step steps[] = {
      {{3, 3}, MouseActivity::Jitter, {0, 0}},    // 3 right and 3 down: jitter
      {{3, -3}, MouseActivity::Jitter, {0, 0}},
      {{4, 0}, MouseActivity::Move, {4, 0}},      // 4 on one axis is enough
      {{6, 3}, MouseActivity::Jitter, {4, 0}},    // measured from the last reported point
      {{7, 3}, MouseActivity::Jitter, {4, 0}},
      {{7, 4}, MouseActivity::Move, {7, 4}},      // slow drift is reported once it adds up
      {{3, 4}, MouseActivity::Move, {3, 4}},      // leftwards counts too
      {{3, 0}, MouseActivity::Move, {3, 0}},
      {{-1000, -1000}, MouseActivity::Move, {-1000, -1000}},  // other monitors lie at negative coordinates
  };
  ScreenPoint reference{0, 0};
  for (const Step& step : steps) {
    EXPECT_EQ(ClassifyMouseMessage(0x200, step.to, reference), step.expected) << step.to.x << "," << step.to.y;
    EXPECT_EQ(reference.x, step.referenceAfter.x);
    EXPECT_EQ(reference.y, step.referenceAfter.y);
  }
}

TEST(InputActivityTest, ButtonsAreReportedAndTheWheelIsLeftToTheLastInputTime) {
  struct Case {
    unsigned message;
    MouseActivity expected;
  };
  const Case cases[] = {
      {0x201, MouseActivity::Button},  // left down
      {0x202, MouseActivity::Button},  // left up
      {0x203, MouseActivity::Button},  // left double click
      {0x204, MouseActivity::Button},  // right down
      {0x206, MouseActivity::Button},
      {0x207, MouseActivity::Button},  // middle down
      {0x209, MouseActivity::Button},  // middle double click
      {0x20A, MouseActivity::Unreported},  // wheel
      {0x20B, MouseActivity::Unreported},  // extra buttons
      {0x0A1, MouseActivity::Unreported},  // non-client button
  };
  for (const Case& c : cases) {
    ScreenPoint reference{0, 0};
    EXPECT_EQ(ClassifyMouseMessage(c.message, {50, 50}, reference), c.expected) << std::hex << c.message;
    EXPECT_EQ(reference.x, 0);  // only moves change the reference
  }
}

// One program's events (K key, J jitter, N jitter over a title bar, W wheel)
// and its posts (A report, J jitter notice, U other input, - nothing).
TEST(ReportLimiterTest, AProgramPostsAtMostFourTimesASecondAndJitterNeverCrowdsOutAKey) {
  const std::tuple<std::string, std::vector<std::uint32_t>, std::string> cases[] = {  // events, tick counts, posts
      {"KKKKKKKKK", {0, 10, 20, 30, 40, 999, 1000, 1005, 1010}, "AAAA--A-A"},  // at once, then as the second allows
      {"NJJJJJKWJ", {0, 100, 499, 500, 900, 1000, 1001, 1002, 1003}, "J--J-JAU-"},  // twice a second
      {"KKKKKK", {0xFFFFFE10u, 0xFFFFFE70u, 0xFFFFFED4u, 0xFFFFFF38u, 300, 504}, "AAAA-A"},  // the tick count wraps
  };
  for (const auto& [events, at, expected] : cases) {
    HookReporter hook;
    std::string posts;
    for (std::size_t i = 0; i < events.size(); ++i) {
      const unsigned message = events[i] == 'N' ? 0xA0 : events[i] == 'W' ? 0x20A : 0x200;
      const auto post = events[i] == 'K' ? hook.OnKey(at[i]) : hook.OnMouse(message, {int(i % 2), 0}, at[i]);
      posts += !post ? '-' : post->message == WM_INPUT_ACTIVITY ? 'A' : post->wParam == 1 ? 'J' : 'U';
    }
    EXPECT_EQ(posts, expected) << events;
  }
  HookReporter hook;  // 2,000 moves of 5 pixels in 8.5 s, every one of them posted before
  int posts = 0;
  for (std::int32_t move = 0; move < 2000; ++move) posts += hook.OnMouse(0x200, {move * 5, 0}, move * 17 / 4) ? 1 : 0;
  EXPECT_EQ(posts, 36);  // four in each of the nine seconds begun
}

}  // namespace
}  // namespace sopora
