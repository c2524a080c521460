#pragma once

#include <atomic>
#include <utility>

// Reference counting shared by every object that crosses the browser engine's boundary. An object
// deletes itself when its last reference goes.
class CefBase {
public:
    virtual void AddRef() const = 0;
    virtual bool Release() const = 0;  // true when this call deleted the object
    virtual bool HasOneRef() const = 0;

protected:
    virtual ~CefBase() = default;
};

class CefRefCount {
public:
    void AddRef() const { m_count.fetch_add(1, std::memory_order_relaxed); }
    bool Release() const { return m_count.fetch_sub(1, std::memory_order_acq_rel) == 1; }
    bool HasOneRef() const { return m_count.load(std::memory_order_acquire) == 1; }

private:
    mutable std::atomic<int> m_count{0};
};

#define IMPLEMENT_REFCOUNTING(ClassName)                                  \
public:                                                                   \
    void AddRef() const override { m_refCount.AddRef(); }                 \
    bool Release() const override {                                       \
        if (!m_refCount.Release()) return false;                          \
        delete static_cast<const ClassName*>(this);                       \
        return true;                                                      \
    }                                                                     \
    bool HasOneRef() const override { return m_refCount.HasOneRef(); }    \
                                                                          \
private:                                                                  \
    CefRefCount m_refCount

// Owning pointer to a reference-counted object.
template <class T>
class CefRefPtr {
public:
    CefRefPtr() = default;
    CefRefPtr(T* object) : m_object(object) { if (m_object) m_object->AddRef(); }  // NOLINT: implicit like a raw pointer
    CefRefPtr(const CefRefPtr& other) : CefRefPtr(other.m_object) {}
    template <class U>
    CefRefPtr(const CefRefPtr<U>& other) : CefRefPtr(other.get()) {}
    CefRefPtr(CefRefPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ~CefRefPtr() { if (m_object) m_object->Release(); }

    CefRefPtr& operator=(CefRefPtr other) noexcept {
        std::swap(m_object, other.m_object);
        return *this;
    }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool operator==(const CefRefPtr& other) const { return m_object == other.m_object; }
    bool operator!=(const CefRefPtr& other) const { return m_object != other.m_object; }

    // Hands the reference over to the caller (for crossing the library boundary).
    T* Detach() { return std::exchange(m_object, nullptr); }
    // Takes over a reference someone else added.
    static CefRefPtr Adopt(T* object) {
        CefRefPtr pointer;
        pointer.m_object = object;
        return pointer;
    }

private:
    T* m_object = nullptr;
};
