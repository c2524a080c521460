#include "ProgressHandler.h"

#include "EngineThread.h"
#include "Options.h"
#include "SliceManager.h"

namespace slicedl {
namespace {
constexpr int32_t kProgressPeriodMs = 500;
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
    if (m_options->userStopRequested()) return;
    if (m_options->progressFunctor && m_manager) {
      m_options->progressFunctor(m_manager->fileSize(), m_manager->totalDownloaded());
    }
  }
}

}  // namespace slicedl
