#include <gtest/gtest.h>

#include "platform/runtime/single_instance.h"
#include "platform/runtime/test_support.h"

namespace runtime {
namespace {

TEST(SingleInstanceTest, SecondCreateOfTheSameNameIsRefused) {
  // A name of this test process's own, so that a running copy of the program, or another
  // test, never meets it.
  const std::string name = "DinarvexPrueba" + std::to_string(test::ProcessId()) + ".exe";
  EXPECT_TRUE(CreateUniqueEvent(name));
  EXPECT_FALSE(CreateUniqueEvent(name));
  EXPECT_FALSE(CreateUniqueEvent(name + "   "));  // the name is clipped
  EXPECT_TRUE(CreateUniqueEvent("Otro" + name));
}

TEST(SingleInstanceTest, TheEventNameIsTheClippedNameAndUEventCutTo259) {
  EXPECT_EQ(UniqueEventName("Dinarvexsor.exe  "), "Dinarvexsor.exe_UEvent");
  EXPECT_EQ(UniqueEventName(std::string(300, 'a')).size(), 259u);
}

}  // namespace
}  // namespace runtime
