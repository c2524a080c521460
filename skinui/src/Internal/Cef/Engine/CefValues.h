#pragma once

#include <cstddef>

#include "CefBase.h"
#include "CefTypes.h"

// Typed argument list of a process message.
class CefListValue : public virtual CefBase {
public:
    virtual size_t GetSize() = 0;
    virtual cef_value_type_t GetType(size_t index) = 0;
    virtual bool GetBool(size_t index) = 0;
    virtual int GetInt(size_t index) = 0;
    virtual double GetDouble(size_t index) = 0;
    virtual CefString GetString(size_t index) = 0;
    // Setting past the end grows the list with null entries.
    virtual bool SetNull(size_t index) = 0;
    virtual bool SetBool(size_t index, bool value) = 0;
    virtual bool SetInt(size_t index, int value) = 0;
    virtual bool SetDouble(size_t index, double value) = 0;
    virtual bool SetString(size_t index, const CefString& value) = 0;
};

class CefProcessMessage : public virtual CefBase {
public:
    // Null when the engine is not available.
    static CefRefPtr<CefProcessMessage> Create(const CefString& name);

    virtual CefString GetName() = 0;
    virtual CefRefPtr<CefListValue> GetArgumentList() = 0;
};
