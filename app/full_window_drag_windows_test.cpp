#include <gtest/gtest.h>
#include <windows.h>

#include "app/full_window_drag.h"

namespace app {
namespace {

bool DragOn() {
  BOOL on = FALSE;
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0));
  return on == TRUE;
}

void SetDrag(bool on) {
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, on ? TRUE : FALSE, nullptr, 0));
}

// The desktop's own setting, switched for the test and put back as it was.
class FullWindowDragTest : public testing::Test {
 protected:
  void TearDown() override { SetDrag(was_on_); }
  const bool was_on_ = DragOn();
};

TEST_F(FullWindowDragTest, OnIsOffWhileTheProgramRunsAndOnAgainAfter) {
  SetDrag(true);
  {
    FullWindowDragOff off;
    EXPECT_FALSE(DragOn());
  }
  EXPECT_TRUE(DragOn());
}

TEST_F(FullWindowDragTest, OffIsLeftOff) {
  SetDrag(false);
  {
    FullWindowDragOff off;
    EXPECT_FALSE(DragOn());
  }
  EXPECT_FALSE(DragOn());
}

}  // namespace
}  // namespace app
