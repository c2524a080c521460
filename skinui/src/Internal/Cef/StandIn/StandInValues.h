#pragma once

#include <variant>
#include <vector>

#include "../Engine/CefRequestContext.h"
#include "../Engine/CefValues.h"

class StandInListValue : public CefListValue {
public:
    size_t GetSize() override { return m_entries.size(); }
    cef_value_type_t GetType(size_t index) override;
    bool GetBool(size_t index) override { return Read<bool>(index); }
    int GetInt(size_t index) override { return Read<int>(index); }
    double GetDouble(size_t index) override { return Read<double>(index); }
    CefString GetString(size_t index) override { return Read<CefString>(index); }
    bool SetNull(size_t index) override { return Write(index, std::monostate{}); }
    bool SetBool(size_t index, bool value) override { return Write(index, value); }
    bool SetInt(size_t index, int value) override { return Write(index, value); }
    bool SetDouble(size_t index, double value) override { return Write(index, value); }
    bool SetString(size_t index, const CefString& value) override { return Write(index, value); }

private:
    using Entry = std::variant<std::monostate, bool, int, double, CefString>;

    template <class T>
    T Read(size_t index) const {
        if (index >= m_entries.size()) return T();
        const T* value = std::get_if<T>(&m_entries[index]);
        return value ? *value : T();
    }
    bool Write(size_t index, Entry value);

    std::vector<Entry> m_entries;

    IMPLEMENT_REFCOUNTING(StandInListValue);
};

class StandInProcessMessage : public CefProcessMessage {
public:
    explicit StandInProcessMessage(CefString name) : m_name(std::move(name)) {}

    CefString GetName() override { return m_name; }
    CefRefPtr<CefListValue> GetArgumentList() override { return m_arguments; }

private:
    const CefString m_name;
    CefRefPtr<CefListValue> m_arguments = new StandInListValue;

    IMPLEMENT_REFCOUNTING(StandInProcessMessage);
};

class StandInRequestContext : public CefRequestContext {
public:
    // |storage| is the context whose storage this one shares; null for a context of its own.
    StandInRequestContext(CefRefPtr<CefRequestContext> storage, CefRefPtr<CefRequestContextHandler> handler,
                          bool global)
        : m_storage(storage), m_handler(handler), m_global(global) {}

    bool IsGlobal() override { return m_global; }
    bool IsSharingWith(CefRefPtr<CefRequestContext> other) override;
    CefRefPtr<CefRequestContextHandler> GetHandler() override { return m_handler; }

private:
    CefRequestContext* StorageOwner() { return m_storage ? m_storage.get() : this; }

    CefRefPtr<CefRequestContext> m_storage;
    CefRefPtr<CefRequestContextHandler> m_handler;
    const bool m_global;

    IMPLEMENT_REFCOUNTING(StandInRequestContext);
};
