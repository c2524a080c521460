#include <gtest/gtest.h>

#include <thread>

#include "Event.h"

using slicedl::Event;

TEST(StopEvent, ZeroWaitReportsTheFlagAtOnce) {
  Event event;
  EXPECT_FALSE(event.isSet());
  EXPECT_FALSE(event.wait(0));
  event.set();
  EXPECT_TRUE(event.wait(0));
  EXPECT_TRUE(event.wait(-5));
  event.unset();
  EXPECT_FALSE(event.wait(1));
}

TEST(StopEvent, SetWakesEveryWaiter) {
  Event event;
  bool woken[3] = {};
  std::thread waiters[3];
  for (int i = 0; i < 3; ++i) {
    waiters[i] = std::thread([&event, &woken, i] { woken[i] = event.wait(600000); });
  }
  event.set();
  for (auto& waiter : waiters) waiter.join();
  for (bool flag : woken) EXPECT_TRUE(flag);
}
