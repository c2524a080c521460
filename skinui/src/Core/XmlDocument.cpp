#include "Core/XmlDocument.h"

#include "Core/WindowUIManager.h"
#include "Core/ZipArchive.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>

namespace SkinUI {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

// Reads a whole plain file; returns null on success, else the reason.
const wchar_t* ReadPlainFile(const wchar_t* fileName, std::vector<unsigned char>& bytes)
{
    FileHandle file(::CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return L"Error opening file";
    }
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size)) return L"Could not read file";
    if (size.QuadPart == 0) return L"File is empty";
    if (size.QuadPart > static_cast<LONGLONG>(CXmlDocument::kMaxFileBytes)) return L"File too large";
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size())
        return L"Could not read file";
    return nullptr;
}

// Reads one entry of the skin zip (the one the window manager holds, else the zip file in the resource
// folder); returns null on success, else the reason.
const wchar_t* ReadZipEntry(const wchar_t* entry, std::vector<unsigned char>& bytes)
{
    std::unique_ptr<CZipArchive> opened;
    CZipArchive* zip = CWindowUIManager::GetResourceZipHandle();
    if (!zip) {
        opened = CZipArchive::OpenFile(CWindowUIManager::GetResourcePath() + CWindowUIManager::GetResourceZipName(),
                                       CWindowUIManager::GetResourceZipPassword());
        zip = opened.get();
    }
    if (!zip) return L"Error opening zip file";
    unsigned long long size = 0;
    if (!zip->FindEntry(entry, size)) return L"Could not find ziped file";
    if (size == 0) return L"File is empty";
    if (size > CXmlDocument::kMaxFileBytes) {
        CZipArchive::WarnOversizedEntry(entry, size, CXmlDocument::kMaxFileBytes);
        return L"File too large";
    }
    if (!zip->ReadEntry(entry, bytes)) return L"Could not unzip file";
    return nullptr;
}

// A skin file: from the skin zip when one is set, else from the resource folder.
const wchar_t* ReadSkinFile(const wchar_t* fileName, std::vector<unsigned char>& bytes)
{
    if (!CWindowUIManager::GetResourceZipName().IsEmpty()) return ReadZipEntry(fileName, bytes);
    return ReadPlainFile(CWindowUIManager::GetResourcePath() + fileName, bytes);
}

void CopyCut(wchar_t* destination, size_t capacity, const wchar_t* source)
{
    size_t length = 0;
    while (length + 1 < capacity && source[length]) ++length;
    std::wmemcpy(destination, source, length);
    destination[length] = L'\0';
}

}  // namespace

bool CXmlNode::IsValid() const { return Record() != nullptr; }

const XmlElementRecord* CXmlNode::Record() const
{
    // A node of a document that was released or reloaded since reads as invalid.
    if (!m_document || m_generation != m_document->m_generation || m_element == 0 ||
        m_element >= m_document->m_elements.size())
        return nullptr;
    return &m_document->m_elements[m_element];
}

CXmlNode CXmlNode::NodeAt(uint32_t element) const { return element ? CXmlNode(m_document, element, m_generation) : CXmlNode(); }

CXmlNode CXmlNode::GetSibling() const
{
    const XmlElementRecord* record = Record();
    return record ? NodeAt(record->nextSibling) : CXmlNode();
}

CXmlNode CXmlNode::GetChild() const
{
    const XmlElementRecord* record = Record();
    return record ? NodeAt(record->firstChild) : CXmlNode();
}

const wchar_t* CXmlNode::GetName() const
{
    const XmlElementRecord* record = Record();
    return record ? m_document->m_text.data() + record->name : nullptr;
}

bool CXmlNode::HasChildren() const
{
    const XmlElementRecord* record = Record();
    return record && record->firstChild != 0;
}

void CXmlNode::MapAttributes() const
{
    if (m_attributeCount) return;
    const XmlElementRecord* record = Record();
    if (!record) return;
    m_attributeCount =
        std::min(MapXmlAttributes(m_document->m_text.data(), *record, m_attributes, kMaxAttributes), kMaxAttributes);
}

int CXmlNode::GetAttributeCount() const
{
    if (!IsValid()) return 0;
    MapAttributes();
    return m_attributeCount;
}

const wchar_t* CXmlNode::GetAttributeName(int index) const
{
    if (!IsValid()) return nullptr;
    MapAttributes();
    if (index < 0 || index >= m_attributeCount) return L"";
    return m_document->m_text.data() + m_attributes[index].name;
}

const wchar_t* CXmlNode::GetAttributeValue(int index) const
{
    if (!IsValid()) return nullptr;
    MapAttributes();
    if (index < 0 || index >= m_attributeCount) return L"";
    return m_document->m_text.data() + m_attributes[index].value;
}

bool CXmlNode::GetAttributeValue(const wchar_t* name, wchar_t* value, int capacity) const
{
    if (!IsValid() || !name || !value || capacity <= 0) return false;
    MapAttributes();
    const wchar_t* text = m_document->m_text.data();
    for (int i = 0; i < m_attributeCount; ++i) {
        if (_wcsicmp(text + m_attributes[i].name, name) == 0) {
            CopyCut(value, static_cast<size_t>(capacity), text + m_attributes[i].value);
            return true;
        }
    }
    return false;
}

CXmlDocument::CXmlDocument(const wchar_t* text)
{
    if (text) Load(text);
}

bool CXmlDocument::Load(const wchar_t* text)
{
    if (!text) text = L"";
    std::vector<wchar_t> copy(text, text + std::wcslen(text) + 1);  // the text may lie in this document
    Release();
    m_text.swap(copy);
    return Parse();
}

bool CXmlDocument::LoadFromMem(const void* data, size_t size, XmlEncoding encoding)
{
    Release();
    if (!DecodeXmlText(data, size, encoding, m_text)) return Fail(L"Could not decode text", nullptr);
    return Parse();
}

bool CXmlDocument::LoadFromFile(const wchar_t* fileName, XmlEncoding encoding)
{
    if (!fileName) fileName = L"";
    std::vector<unsigned char> bytes;
    if (const wchar_t* failure = ReadSkinFile(fileName, bytes)) return Fail(failure, nullptr);
    return LoadFromMem(bytes.data(), bytes.size(), encoding);
}

bool CXmlDocument::LoadFromSkinBytes(const void* data, size_t size, XmlEncoding encoding)
{
    if (!data || size == 0) return Fail(L"File is empty", nullptr);
    if (size > kMaxFileBytes) return Fail(L"File too large", nullptr);
    return LoadFromMem(data, size, encoding);
}

void CXmlDocument::Release()
{
    std::vector<wchar_t>().swap(m_text);
    std::vector<XmlElementRecord>().swap(m_elements);
    ++m_generation;
}

CXmlNode CXmlDocument::GetRoot() const { return m_elements.size() > 1 ? CXmlNode(this, 1, m_generation) : CXmlNode(); }

bool CXmlDocument::Parse()
{
    ClearError();
    // Text after an embedded terminator is not part of the document.
    const size_t length = std::wcslen(m_text.data());
    XmlParseError error;
    if (ParseXmlInPlace(m_text.data(), length, m_elements, error)) return true;
    const wchar_t* context = m_text.data() + error.offset;
    const std::wstring report = std::wstring(L"SkinUI: Warning: ") + error.message + L": " +
                                std::wstring(context, ::wcsnlen(context, std::size(m_errorContext) - 1)) + L"\n";
    ::OutputDebugStringW(report.c_str());
    return Fail(error.message, context);
}

bool CXmlDocument::Fail(const wchar_t* message, const wchar_t* context)
{
    CopyCut(m_errorMessage, std::size(m_errorMessage), message);
    if (context)
        CopyCut(m_errorContext, std::size(m_errorContext), context);
    else
        m_errorContext[0] = L'\0';
    Release();
    return false;
}

void CXmlDocument::ClearError()
{
    std::fill(std::begin(m_errorMessage), std::end(m_errorMessage), L'\0');
    std::fill(std::begin(m_errorContext), std::end(m_errorContext), L'\0');
}

}  // namespace SkinUI
