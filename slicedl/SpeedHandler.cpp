#include "SpeedHandler.h"

#include "EngineThread.h"
#include "Options.h"
#include "SliceManager.h"

namespace slicedl {
namespace {
constexpr int32_t kSpeedPeriodMs = 1000;
}  // namespace

SpeedHandler::SpeedHandler(int64_t baseline, const Options* options, std::shared_ptr<SliceManager> manager)
    : m_baseline(baseline), m_options(options), m_manager(std::move(manager)) {
  m_task = std::async(std::launch::async, [this] { loop(); });
}

SpeedHandler::~SpeedHandler() {
  if (m_task.valid()) m_task.wait();
}

void SpeedHandler::loop() {
  EngineThreadScope engineThread(m_options);
  int64_t last = m_baseline;
  while (!m_options->stopEvent->wait(kSpeedPeriodMs)) {
    if (m_options->userStopRequested()) return;
    if (!m_manager) continue;
    const int64_t now = m_manager->totalDownloaded();
    if (now >= last) {
      if (m_options->speedFunctor) m_options->speedFunctor(now - last);
      last = now;
    }
  }
}

}  // namespace slicedl
