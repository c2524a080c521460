#pragma once

#include <memory>
#include <vector>

namespace SkinUI {

// An object bound to a handler; two delegates are the same when both bind the same object and function.
class CDelegateBase {
public:
    explicit CDelegateBase(void* object) : m_object(object) {}
    virtual ~CDelegateBase() = default;
    virtual CDelegateBase* Copy() const = 0;
    virtual bool Invoke(void* param) = 0;
    virtual bool IsSameAs(const CDelegateBase& other) const = 0;
    void* GetObject() const { return m_object; }

private:
    void* m_object;
};

// Binds an object of class O and a member function of O taking a pointer parameter T. The member-function
// pointer keeps its own type: it is wider than a plain function pointer.
template <class O, class T = void*>
class CDelegate : public CDelegateBase {
public:
    using Handler = bool (O::*)(T);

    CDelegate(O* object, Handler handler) : CDelegateBase(object), m_handler(handler) {}
    CDelegateBase* Copy() const override { return new CDelegate(*this); }
    bool Invoke(void* param) override { return (static_cast<O*>(GetObject())->*m_handler)(static_cast<T>(param)); }
    bool IsSameAs(const CDelegateBase& other) const override
    {
        const auto* same = dynamic_cast<const CDelegate*>(&other);
        return same && same->GetObject() == GetObject() && same->m_handler == m_handler;
    }

private:
    Handler m_handler;
};

template <class O, class T>
CDelegate<O, T> MakeDelegate(O* object, bool (O::*handler)(T))
{
    return CDelegate<O, T>(object, handler);
}

// Ordered list of delegates fired in turn. Firing survives a handler that removes delegates (a removed
// one is not called any more) or destroys the source itself (firing ends there).
class CEventSource {
public:
    CEventSource() = default;
    CEventSource(const CEventSource&) = delete;
    CEventSource& operator=(const CEventSource&) = delete;
    ~CEventSource();

    void operator+=(const CDelegateBase& delegate);
    void operator-=(const CDelegateBase& delegate);
    bool HasDelegates() const { return !m_delegates.empty(); }
    explicit operator bool() const { return HasDelegates(); }
    bool operator()(void* param);

private:
    bool Contains(const CDelegateBase* delegate) const;

    std::vector<std::shared_ptr<CDelegateBase>> m_delegates;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace SkinUI
