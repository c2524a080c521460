#pragma once

#include <cstdarg>

namespace SkinUI {

// Wide text with an in-object buffer; texts of 63 characters or more move to the heap.
// A null text given to any operation counts as the empty text.
class CUIString {
public:
    static constexpr int kLocalUnits = 64;
    static constexpr int kHeapThreshold = 63;

    CUIString();
    CUIString(const CUIString& other);
    CUIString(const wchar_t* text, int length = -1);
    explicit CUIString(wchar_t ch);
    ~CUIString();

    CUIString& operator=(const CUIString& other);
    CUIString& operator=(const wchar_t* text);
    CUIString& operator=(wchar_t ch);
    void Assign(const wchar_t* text, int length = -1);

    CUIString& operator+=(const CUIString& other);
    CUIString& operator+=(const wchar_t* text);
    CUIString& operator+=(wchar_t ch);
    CUIString operator+(const CUIString& other) const;
    CUIString operator+(const wchar_t* text) const;
    void Append(const wchar_t* text, int length = -1);

    bool operator==(const wchar_t* text) const;
    bool operator!=(const wchar_t* text) const { return !(*this == text); }
    bool operator==(const CUIString& other) const { return *this == other.GetData(); }
    bool operator!=(const CUIString& other) const { return !(*this == other.GetData()); }
    int Compare(const wchar_t* text) const;
    int CompareNoCase(const wchar_t* text) const;

    const wchar_t* GetData() const { return m_text; }
    operator const wchar_t*() const { return m_text; }
    int GetLength() const;
    bool IsEmpty() const { return m_text[0] == L'\0'; }
    void Empty();
    wchar_t GetAt(int index) const;
    bool IsOnHeap() const { return m_text != m_local; }

    void MakeLower();
    void MakeUpper();

    int Find(const wchar_t* text, int start = 0) const;
    int Find(wchar_t ch, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    CUIString Left(int count) const;
    CUIString Right(int count) const;
    CUIString Mid(int start, int count = -1) const;
    int Replace(const wchar_t* from, const wchar_t* to);

    int Format(const wchar_t* format, ...);
    int FormatV(const wchar_t* format, va_list args);

private:
    bool Overlaps(const wchar_t* text) const;
    void StoreLocal(const wchar_t* text, int length);
    void StoreOnHeap(const wchar_t* text, int length);

    wchar_t* m_text = m_local;
    wchar_t m_local[kLocalUnits] = {};
};

// Plain code-unit order (unsigned 16-bit), case-sensitive; shorter prefix first.
struct CUIStringLess {
    bool operator()(const CUIString& a, const CUIString& b) const { return a.Compare(b.GetData()) < 0; }
};

}  // namespace SkinUI
