#pragma once

namespace SkinUI {

// Growable array of untyped pointers; never owns the items.
class CPtrArray {
public:
    explicit CPtrArray(int preallocate = 0);
    CPtrArray(const CPtrArray& other);
    CPtrArray& operator=(const CPtrArray& other);
    ~CPtrArray();

    bool Add(void* item);
    bool InsertAt(int index, void* item);
    bool Remove(int index);
    int Find(void* item) const;
    void* GetAt(int index) const;
    void* operator[](int index) const { return m_data[index]; }
    int GetSize() const { return m_count; }
    int GetCapacity() const { return m_capacity; }
    bool IsEmpty() const { return m_count == 0; }
    void Resize(int count);
    void Empty();

private:
    bool GrowFor(int count);
    void Swap(CPtrArray& other);

    void** m_data = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};

}  // namespace SkinUI
