#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

TEST(Harness, RunsOnTheExpectedPlatform) {
#ifdef _WIN32
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  EXPECT_NE(GetModuleHandleW(L"kernel32.dll"), nullptr);
#else
  SUCCEED();
#endif
}
