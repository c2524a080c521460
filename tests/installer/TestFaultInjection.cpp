// The test build's faults, chosen by the environment: TOLVAN_TEST_FAULT=<place>:<kind> with place
// "startup", "result" or "delivery" (the result callback itself, outside its own guard) and kind
//   throw          a C++ exception from here
//   fault          an access violation in this thread
//   thread-fault   an access violation in another thread
//   thread-throw   a C++ exception escaping another thread (std::terminate)
//   terminate      std::terminate in this thread
//   abort          abort in this thread
#include "FaultInjection.h"

#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

void AccessViolation()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

} // namespace

void InjectFault(FaultPlace place)
{
    const char* chosen = std::getenv("TOLVAN_TEST_FAULT");
    if (!chosen)
        return;
    const std::string text = chosen;
    const std::string prefix = place == FaultPlace::Startup          ? "startup:"
                               : place == FaultPlace::ResultHandling ? "result:"
                                                                     : "delivery:";
    if (text.compare(0, prefix.size(), prefix) != 0)
        return;
    const std::string kind = text.substr(prefix.size());
    if (kind == "throw")
        throw std::runtime_error("fault injected by the test");
    if (kind == "fault")
        AccessViolation();
    if (kind == "thread-fault")
        std::thread(AccessViolation).join();
    if (kind == "thread-throw")
        std::thread([] { throw std::runtime_error("fault injected by the test"); }).join();
    if (kind == "terminate")
        std::terminate();
    if (kind == "abort")
        std::abort();
}
