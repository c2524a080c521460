#include "EngineThread.h"

namespace slicedl {
namespace {
thread_local const Options* t_owner = nullptr;
}

EngineThreadScope::EngineThreadScope(const Options* owner) : m_previous(t_owner) { t_owner = owner; }

EngineThreadScope::~EngineThreadScope() { t_owner = m_previous; }

bool IsEngineThreadOf(const Options* owner) { return owner != nullptr && t_owner == owner; }

}  // namespace slicedl
