#pragma once

#include <string>

#include "../Engine/CefRequestContext.h"

class StandInRequestContext : public CefRequestContext {
public:
    // |storage| is the context whose storage this one shares; null for a context of its own.
    StandInRequestContext(CefRefPtr<CefRequestContext> storage, CefRefPtr<CefRequestContextHandler> handler,
                          bool global)
        : m_storage(storage), m_handler(handler), m_global(global) {}

    bool IsGlobal() const { return m_global; }
    bool SharesStorageWith(const StandInRequestContext& other) const { return StorageOwner() == other.StorageOwner(); }
    bool HasHandler() const { return bool(m_handler); }

private:
    const CefRequestContext* StorageOwner() const { return m_storage ? m_storage.get() : this; }

    CefRefPtr<CefRequestContext> m_storage;
    CefRefPtr<CefRequestContextHandler> m_handler;
    const bool m_global;

    IMPLEMENT_REFCOUNTING(StandInRequestContext);
};

// The process's one global context.
CefRefPtr<StandInRequestContext> GlobalRequestContext();

// How a browser's context relates to the global one, for its journal: "none", "global", or
// "shared" / "own", followed by ",handler" when it has a handler.
std::wstring DescribeRequestContext(CefRefPtr<CefRequestContext> context);
