#pragma once

#include <cstdint>
#include <future>
#include <memory>

namespace slicedl {

struct Options;
class SliceManager;

// Reports (file size, bytes received) every 500 ms until the run's stop event is set.
class ProgressHandler {
 public:
  ProgressHandler(const Options* options, std::shared_ptr<SliceManager> manager);
  virtual ~ProgressHandler();

 private:
  void loop();

  std::future<void> m_task;
  const Options* m_options;
  std::shared_ptr<SliceManager> m_manager;
};

}  // namespace slicedl
