// Which mouse events the input hook reports, and the dead zone for moves.
#include <gtest/gtest.h>

#include "hooklib/input_activity.h"

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
      {{3, 3}, MouseActivity::None, {0, 0}},      // 3 right and 3 down: jitter
      {{3, -3}, MouseActivity::None, {0, 0}},
      {{4, 0}, MouseActivity::Move, {4, 0}},      // 4 on one axis is enough
      {{6, 3}, MouseActivity::None, {4, 0}},      // measured from the last reported point
      {{7, 3}, MouseActivity::None, {4, 0}},
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

TEST(InputActivityTest, ButtonsCountAndTheWheelDoesNot) {
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
      {0x20A, MouseActivity::None},    // wheel
      {0x20B, MouseActivity::None},    // extra buttons
      {0x0A0, MouseActivity::None},    // non-client move
      {0x0A1, MouseActivity::None},    // non-client button
  };
  for (const Case& c : cases) {
    ScreenPoint reference{0, 0};
    EXPECT_EQ(ClassifyMouseMessage(c.message, {50, 50}, reference), c.expected) << std::hex << c.message;
    EXPECT_EQ(reference.x, 0);  // only moves change the reference
  }
}

}  // namespace
}  // namespace sopora
