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
};

// A message from the page's side (the renderer) to the client.
class CefProcessMessage : public virtual CefBase {
public:
    virtual CefString GetName() = 0;
    virtual CefRefPtr<CefListValue> GetArgumentList() = 0;
};
