#pragma once

namespace slicedl {

struct Options;

// Marks the current thread as working for one downloader while the scope lives, so that the
// downloader's destructor can tell it is being called from one of its own callbacks.
class EngineThreadScope {
 public:
  explicit EngineThreadScope(const Options* owner);
  ~EngineThreadScope();
  EngineThreadScope(const EngineThreadScope&) = delete;
  EngineThreadScope& operator=(const EngineThreadScope&) = delete;

 private:
  const Options* m_previous;
};

bool IsEngineThreadOf(const Options* owner);

}  // namespace slicedl
