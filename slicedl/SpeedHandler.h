#pragma once

#include <cstdint>
#include <future>
#include <memory>

namespace slicedl {

struct Options;
class SliceManager;

// Reports the bytes received during each second until the run's stop event is set.
class SpeedHandler {
 public:
  SpeedHandler(int64_t baseline, const Options* options, std::shared_ptr<SliceManager> manager);
  virtual ~SpeedHandler();

 private:
  void loop();

  std::future<void> m_task;
  int64_t m_baseline;
  const Options* m_options;
  std::shared_ptr<SliceManager> m_manager;
};

}  // namespace slicedl
