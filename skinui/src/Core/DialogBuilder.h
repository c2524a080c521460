#pragma once

#include "Core/UIInterfaces.h"
#include "Core/XmlDocument.h"

#include <windows.h>

#include <string>

namespace SkinUI {

class CControlUI;
class CWindowUIManager;

// Builds the control tree of one window from a skin XML file (resource, XML text, file or skin zip) and
// registers the file's resources and window settings with the manager.
class CDialogBuilder {
public:
    CDialogBuilder() = default;
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    // xml: XML text starting with '<', a skin file name, or a resource id (MAKEINTRESOURCE) of the given type.
    CControlUI* Create(const wchar_t* xml, const wchar_t* type = nullptr, IDialogBuilderCallback* callback = nullptr,
                       CWindowUIManager* manager = nullptr, CControlUI* parent = nullptr);
    CControlUI* Create(IDialogBuilderCallback* callback = nullptr, CWindowUIManager* manager = nullptr,
                       CControlUI* parent = nullptr);

    CXmlDocument* GetMarkup() { return &m_xml; }
    void SetInstance(HINSTANCE instance) { m_instance = instance; }

private:
    bool Load(const wchar_t* xml, const wchar_t* type);
    void RegisterResources(CXmlNode root, CWindowUIManager* manager);
    // The window's resources and attributes, then the controls; held against what the application's code
    // run meanwhile ends.
    CControlUI* BuildHeld(CXmlNode root, CControlUI* parent, CWindowUIManager* manager);
    CControlUI* BuildLevel(const CXmlNode& node, CControlUI* parent, CWindowUIManager* manager);
    void BuildInclude(const CXmlNode& node, CControlUI* parent, CWindowUIManager* manager, CControlUI*& first);
    CControlUI* CreateControlFor(const wchar_t* element) const;
    static void DiscardExtraTopLevelControl(CControlUI* control, const wchar_t* element);
    // A control the build will not use: deleted once the outermost build has returned.
    static void Drop(CControlUI* control);
    static void DeleteDropped();
    const wchar_t* ResourceType() const;

    CXmlDocument m_xml;
    IDialogBuilderCallback* m_callback = nullptr;
    bool m_fromResource = false;
    const wchar_t* m_resourceTypeId = nullptr;  // a MAKEINTRESOURCE type, else null
    CUIString m_resourceTypeName;
    HINSTANCE m_instance = nullptr;
};

// Marks a skin file as being built on this thread while it lives. A file that is already being built
// (it includes itself, directly or through other files) or one nested too deeply is refused, with a
// warning: such a skin would build for ever.
class CSkinNesting {
public:
    // A resource id names the file together with its resource type; inline XML text names no file.
    CSkinNesting(const wchar_t* xml, const wchar_t* type);
    ~CSkinNesting();
    CSkinNesting(const CSkinNesting&) = delete;
    CSkinNesting& operator=(const CSkinNesting&) = delete;

    bool IsRefused() const { return m_refused; }

private:
    std::wstring m_key;
    const CSkinNesting* m_outer = nullptr;
    bool m_entered = false;
    bool m_refused = false;
};

// The "Window" element's attributes: "dpi" first, the rest after the resources (window-only settings).
void ApplyWindowDpi(CXmlNode root, CWindowUIManager* manager);
void ApplyWindowAttributes(CXmlNode root, CWindowUIManager* manager);

}  // namespace SkinUI
