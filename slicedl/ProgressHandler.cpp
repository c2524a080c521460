#include "ProgressHandler.h"

#include "EngineThread.h"
#include "Options.h"
#include "SliceManager.h"

namespace slicedl {
namespace {
constexpr int32_t kProgressPeriodMs = 500;
constexpr int32_t kSpeedPeriodMs = 1000;

bool UserStopped(const Options& options) {
  return options.userStopEvent != nullptr && options.userStopEvent->isSet();
}
}  // namespace

ProgressHandler::ProgressHandler(const Options* options, std::shared_ptr<SliceManager> manager)
    : m_options(options), m_manager(std::move(manager)) {
  m_task = std::async(std::launch::async, [this] { loop(); });
}

ProgressHandler::~ProgressHandler() {
  if (m_task.valid()) m_task.wait();
}

void ProgressHandler::loop() {
  EngineThreadScope engineThread(m_options);
  while (!m_options->stopEvent->wait(kProgressPeriodMs)) {
    if (UserStopped(*m_options)) return;
    if (m_options->progressFunctor && m_manager) {
      m_options->progressFunctor(m_manager->fileSize(), m_manager->totalDownloaded());
    }
  }
}

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
    if (UserStopped(*m_options)) return;
    if (!m_manager) continue;
    const int64_t now = m_manager->totalDownloaded();
    if (now >= last) {
      if (m_options->speedFunctor) m_options->speedFunctor(now - last);
      last = now;
    }
  }
}

}  // namespace slicedl
