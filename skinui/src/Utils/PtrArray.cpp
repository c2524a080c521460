#include "Utils/PtrArray.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace SkinUI {

CPtrArray::CPtrArray(int preallocate)
{
    if (preallocate > 0) {
        m_data = static_cast<void**>(std::malloc(static_cast<size_t>(preallocate) * sizeof(void*)));
        if (m_data) m_capacity = preallocate;
    }
}

CPtrArray::CPtrArray(const CPtrArray& other)
{
    for (int i = 0; i < other.m_count; ++i) Add(other.m_data[i]);
}

CPtrArray& CPtrArray::operator=(const CPtrArray& other)
{
    if (this != &other) {
        CPtrArray copy(other);
        Swap(copy);
    }
    return *this;
}

CPtrArray::~CPtrArray() { std::free(m_data); }

void CPtrArray::Swap(CPtrArray& other)
{
    std::swap(m_data, other.m_data);
    std::swap(m_count, other.m_count);
    std::swap(m_capacity, other.m_capacity);
}

bool CPtrArray::GrowFor(int count)
{
    if (count < m_capacity) return true;
    const int capacity = m_capacity == 0 ? 11 : m_capacity * 2;
    void* grown = std::realloc(m_data, static_cast<size_t>(capacity) * sizeof(void*));
    if (!grown) return false;
    m_data = static_cast<void**>(grown);
    m_capacity = capacity;
    return true;
}

bool CPtrArray::Add(void* item)
{
    if (!GrowFor(m_count + 1)) return false;
    m_data[m_count++] = item;
    return true;
}

bool CPtrArray::InsertAt(int index, void* item)
{
    if (index == m_count) return Add(item);
    if (index < 0 || index > m_count) return false;
    if (!GrowFor(m_count + 1)) return false;
    std::memmove(&m_data[index + 1], &m_data[index], static_cast<size_t>(m_count - index) * sizeof(void*));
    m_data[index] = item;
    ++m_count;
    return true;
}

bool CPtrArray::Remove(int index)
{
    if (index < 0 || index >= m_count) return false;
    std::memmove(&m_data[index], &m_data[index + 1], static_cast<size_t>(m_count - index - 1) * sizeof(void*));
    --m_count;
    return true;
}

int CPtrArray::Find(void* item) const
{
    for (int i = 0; i < m_count; ++i)
        if (m_data[i] == item) return i;
    return -1;
}

void* CPtrArray::GetAt(int index) const
{
    if (index < 0 || index >= m_count) return nullptr;
    return m_data[index];
}

void CPtrArray::Resize(int count)
{
    Empty();
    if (count <= 0) return;
    // A failed allocation leaves the array empty and consistent.
    m_data = static_cast<void**>(std::calloc(static_cast<size_t>(count), sizeof(void*)));
    if (m_data) m_count = m_capacity = count;
}

void CPtrArray::Empty()
{
    std::free(m_data);
    m_data = nullptr;
    m_count = m_capacity = 0;
}

}  // namespace SkinUI
