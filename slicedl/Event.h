#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace slicedl {

// Manual-reset flag with a bounded wait; carries stop requests to the run, the reporters and the
// hash computation.
class Event {
 public:
  bool isSet() const;
  void set();
  void unset();
  // True as soon as the flag is set, false when the time limit passes first.
  bool wait(int32_t milliseconds);

 private:
  bool m_flag = false;
  mutable std::mutex m_mutex;
  std::condition_variable m_condition;
};

}  // namespace slicedl
