#include "Event.h"

#include <chrono>

namespace slicedl {

bool Event::isSet() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_flag;
}

void Event::set() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_flag = true;
  }
  m_condition.notify_all();
}

void Event::unset() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_flag = false;
}

bool Event::wait(int32_t milliseconds) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (m_flag) return true;
  if (milliseconds < 1) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  m_condition.wait_until(lock, deadline, [this] { return m_flag; });
  return m_flag;
}

}  // namespace slicedl
