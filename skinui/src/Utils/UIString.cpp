#include "Utils/UIString.h"

#include "Utils/WideFormat.h"

#include <cstdlib>
#include <cwchar>
#include <functional>
#include <new>
#include <string>
#include <vector>

namespace SkinUI {
namespace {

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

int MeasuredLength(const wchar_t* text, int length)
{
    if (!text) return 0;
    if (length < 0) return static_cast<int>(wcslen(text));
    return static_cast<int>(wcsnlen(text, static_cast<size_t>(length)));
}

wchar_t* Reallocate(wchar_t* block, int units)
{
    void* grown = std::realloc(block, static_cast<size_t>(units) * sizeof(wchar_t));
    if (!grown) throw std::bad_alloc();
    return static_cast<wchar_t*>(grown);
}

}  // namespace

CUIString::CUIString() = default;

CUIString::CUIString(const CUIString& other) { Assign(other.m_text); }

CUIString::CUIString(const wchar_t* text, int length) { Assign(text, length); }

CUIString::CUIString(wchar_t ch) { Assign(&ch, 1); }

CUIString::~CUIString()
{
    if (IsOnHeap()) std::free(m_text);
}

CUIString& CUIString::operator=(const CUIString& other)
{
    if (this != &other) Assign(other.m_text);
    return *this;
}

CUIString& CUIString::operator=(const wchar_t* text)
{
    Assign(text);
    return *this;
}

CUIString& CUIString::operator=(wchar_t ch)
{
    Assign(&ch, 1);
    return *this;
}

bool CUIString::Overlaps(const wchar_t* text) const
{
    if (!text) return false;
    const wchar_t* begin = m_text;
    const wchar_t* end = IsOnHeap() ? m_text + GetLength() + 1 : m_local + kLocalUnits;
    return std::less_equal<const wchar_t*>()(begin, text) && std::less<const wchar_t*>()(text, end);
}

void CUIString::Assign(const wchar_t* text, int length)
{
    const int n = MeasuredLength(text, length);
    if (Overlaps(text)) {
        const std::wstring copy(text, static_cast<size_t>(n));
        Assign(copy.c_str(), n);
        return;
    }
    if (n < kHeapThreshold)
        StoreLocal(text, n);
    else
        StoreOnHeap(text, n);
}

void CUIString::StoreLocal(const wchar_t* text, int length)
{
    if (IsOnHeap()) {
        std::free(m_text);
        m_text = m_local;
    }
    if (length > 0) wmemcpy(m_local, text, static_cast<size_t>(length));
    m_local[length] = L'\0';
}

void CUIString::StoreOnHeap(const wchar_t* text, int length)
{
    // A heap block at least as long as the new text is reused in place.
    if (!IsOnHeap())
        m_text = Reallocate(nullptr, length + 1);
    else if (length > GetLength())
        m_text = Reallocate(m_text, length + 1);
    wmemcpy(m_text, text, static_cast<size_t>(length));
    m_text[length] = L'\0';
}

void CUIString::Append(const wchar_t* text, int length)
{
    const int added = MeasuredLength(text, length);
    if (added == 0) return;
    if (Overlaps(text)) {
        const std::wstring copy(text, static_cast<size_t>(added));
        Append(copy.c_str(), added);
        return;
    }
    const int oldLength = GetLength();
    const int newLength = oldLength + added;
    if (newLength < kHeapThreshold) {
        if (IsOnHeap()) StoreLocal(std::wstring(m_text).c_str(), oldLength);
        wmemcpy(m_local + oldLength, text, static_cast<size_t>(added));
        m_local[newLength] = L'\0';
        return;
    }
    if (IsOnHeap()) {
        m_text = Reallocate(m_text, newLength + 1);
    } else {
        wchar_t* block = Reallocate(nullptr, newLength + 1);
        wmemcpy(block, m_local, static_cast<size_t>(oldLength));
        m_text = block;
    }
    wmemcpy(m_text + oldLength, text, static_cast<size_t>(added));
    m_text[newLength] = L'\0';
}

CUIString& CUIString::operator+=(const CUIString& other)
{
    Append(other.m_text);
    return *this;
}

CUIString& CUIString::operator+=(const wchar_t* text)
{
    Append(text);
    return *this;
}

CUIString& CUIString::operator+=(wchar_t ch)
{
    Append(&ch, 1);
    return *this;
}

CUIString CUIString::operator+(const CUIString& other) const
{
    CUIString result(*this);
    result += other;
    return result;
}

CUIString CUIString::operator+(const wchar_t* text) const
{
    CUIString result(*this);
    result += text;
    return result;
}

int CUIString::Compare(const wchar_t* text) const
{
    const wchar_t* a = m_text;
    const wchar_t* b = OrEmpty(text);
    for (;; ++a, ++b) {
        const unsigned ua = static_cast<unsigned short>(*a);
        const unsigned ub = static_cast<unsigned short>(*b);
        if (ua != ub) return ua < ub ? -1 : 1;
        if (ua == 0) return 0;
    }
}

bool CUIString::operator==(const wchar_t* text) const { return Compare(text) == 0; }

int CUIString::CompareNoCase(const wchar_t* text) const { return _wcsicmp(m_text, OrEmpty(text)); }

int CUIString::GetLength() const { return static_cast<int>(wcslen(m_text)); }

void CUIString::Empty() { StoreLocal(L"", 0); }

wchar_t CUIString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength()) return L'\0';
    return m_text[index];
}

void CUIString::MakeLower()
{
    for (wchar_t* p = m_text; *p; ++p)
        if (*p >= L'A' && *p <= L'Z') *p = static_cast<wchar_t>(*p - L'A' + L'a');
}

void CUIString::MakeUpper()
{
    for (wchar_t* p = m_text; *p; ++p)
        if (*p >= L'a' && *p <= L'z') *p = static_cast<wchar_t>(*p - L'a' + L'A');
}

int CUIString::Find(const wchar_t* text, int start) const
{
    const int length = GetLength();
    if (start < 0 || start > length) return -1;
    const wchar_t* found = wcsstr(m_text + start, OrEmpty(text));
    return found ? static_cast<int>(found - m_text) : -1;
}

int CUIString::Find(wchar_t ch, int start) const
{
    if (start < 0 || start >= GetLength()) return -1;
    const wchar_t* found = wcschr(m_text + start, ch);
    return found && ch != L'\0' ? static_cast<int>(found - m_text) : -1;
}

int CUIString::ReverseFind(wchar_t ch) const
{
    if (ch == L'\0') return -1;
    const wchar_t* found = wcsrchr(m_text, ch);
    return found ? static_cast<int>(found - m_text) : -1;
}

CUIString CUIString::Left(int count) const
{
    const int length = GetLength();
    if (count < 0) count = 0;
    if (count > length) count = length;
    return CUIString(m_text, count);
}

CUIString CUIString::Right(int count) const
{
    const int length = GetLength();
    if (count <= 0) return CUIString();
    if (count > length) count = length;
    return CUIString(m_text + length - count, count);
}

CUIString CUIString::Mid(int start, int count) const
{
    const int length = GetLength();
    if (start < 0) start = 0;
    if (start >= length) return CUIString();
    if (count < 0 || start + count > length) count = length - start;
    if (count <= 0) return CUIString();
    return CUIString(m_text + start, count);
}

int CUIString::Replace(const wchar_t* from, const wchar_t* to)
{
    // An empty search text matches nowhere: it would otherwise insert forever.
    if (!from || !*from) return 0;
    const std::wstring search(from);
    const std::wstring replacement(OrEmpty(to));
    std::wstring result;
    int count = 0;
    size_t position = 0;
    const std::wstring source(m_text);
    for (size_t hit; (hit = source.find(search, position)) != std::wstring::npos;) {
        result.append(source, position, hit - position);
        result += replacement;
        position = hit + search.size();
        ++count;
    }
    if (count == 0) return 0;
    result.append(source, position, std::wstring::npos);
    Assign(result.c_str(), static_cast<int>(result.size()));
    return count;
}

int CUIString::Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = FormatV(format, args);
    va_end(args);
    return length;
}

int CUIString::FormatV(const wchar_t* format, va_list args)
{
    if (!format) return -1;
    const int length = MeasureWideFormat(format, args);
    if (length < 0) return -1;
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    if (FormatWideInto(buffer.data(), buffer.size(), format, args) < 0) return -1;
    Assign(buffer.data(), length);
    return length;
}

}  // namespace SkinUI
