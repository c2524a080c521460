#pragma once

#include "Core/XmlParser.h"
#include "Core/XmlTextDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace SkinUI {

class CXmlDocument;

// A plain value naming one element of a document; invalid when it names none.
class CXmlNode {
public:
    static constexpr int kMaxAttributes = 64;

    CXmlNode() = default;

    bool IsValid() const;
    CXmlNode GetSibling() const;
    CXmlNode GetChild() const;
    const wchar_t* GetName() const;
    bool HasChildren() const;
    bool HasAttributes() const { return GetAttributeCount() > 0; }
    int GetAttributeCount() const;
    // Empty for an index out of range, null for an invalid node.
    const wchar_t* GetAttributeName(int index) const;
    const wchar_t* GetAttributeValue(int index) const;
    // Copies the value of the first attribute of that name (any case), cut to capacity - 1
    // characters and terminated. False, with the buffer untouched, when there is none.
    bool GetAttributeValue(const wchar_t* name, wchar_t* value, int capacity) const;

private:
    friend class CXmlDocument;
    CXmlNode(const CXmlDocument* document, uint32_t element, uint32_t generation)
        : m_element(element), m_document(document), m_generation(generation)
    {
    }

    const XmlElementRecord* Record() const;
    CXmlNode NodeAt(uint32_t element) const;
    void MapAttributes() const;

    uint32_t m_element = 0;
    mutable int m_attributeCount = 0;
    mutable XmlAttributeRef m_attributes[kMaxAttributes] = {};
    const CXmlDocument* m_document = nullptr;
    uint32_t m_generation = 0;
};

// A whole skin file parsed in place in one wide buffer. A failed load leaves it empty and keeps
// the reason in GetErrorMessage / GetErrorContext.
class CXmlDocument {
public:
    static constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;

    explicit CXmlDocument(const wchar_t* text = nullptr);
    ~CXmlDocument() { Release(); }
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    bool Load(const wchar_t* text);
    bool LoadFromMem(const void* data, size_t size, XmlEncoding encoding = XmlEncoding::Utf8);
    bool LoadFromFile(const wchar_t* fileName, XmlEncoding encoding = XmlEncoding::Utf8);
    // For the bytes of a skin file taken from the skin zip or a resource: the size limits of
    // files apply, then as LoadFromMem.
    bool LoadFromSkinBytes(const void* data, size_t size, XmlEncoding encoding = XmlEncoding::Utf8);
    // Records why a skin file could not be read (zip or resource access); always false.
    bool FailLoad(const wchar_t* message) { return Fail(message, nullptr); }
    void Release();

    CXmlNode GetRoot() const;
    const wchar_t* GetErrorMessage() const { return m_errorMessage; }
    const wchar_t* GetErrorContext() const { return m_errorContext; }

private:
    friend class CXmlNode;

    bool Parse();
    bool Fail(const wchar_t* message, const wchar_t* context);
    void ClearError();

    std::vector<wchar_t> m_text;
    std::vector<XmlElementRecord> m_elements;
    uint32_t m_generation = 0;  // counts releases, so that older nodes turn invalid
    wchar_t m_errorMessage[100] = {};
    wchar_t m_errorContext[50] = {};
};

}  // namespace SkinUI
