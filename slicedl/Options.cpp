#include "Options.h"

namespace slicedl {

void VerboseOutput::set(VerboseFunctor functor) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_functor = std::move(functor);
}

bool VerboseOutput::enabled() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<bool>(m_functor);
}

void VerboseOutput::write(const std::string& text) const {
  VerboseFunctor functor;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    functor = m_functor;
  }
  // Called outside the lock so the sink may log or replace itself.
  if (functor) functor(text);
}

bool Options::stopRequested() const {
  return stopEvent->isSet() || userStopRequested();
}

std::unique_ptr<Event> Options::NewSetEvent() {
  auto event = std::make_unique<Event>();
  event->set();
  return event;
}

}  // namespace slicedl
