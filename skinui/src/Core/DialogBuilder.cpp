#include "Core/DialogBuilder.h"

#include "Core/AttributeValues.h"
#include "Core/BuilderAttach.h"
#include "Core/ControlDeletion.h"
#include "Core/ControlFactory.h"
#include "Core/ControlUI.h"
#include "Core/SkinBuildLimits.h"
#include "Core/TextResources.h"
#include "Core/WindowUIManager.h"
#include "Core/WindowWnd.h"
#include "Utils/ProcessUtils.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace SkinUI {
namespace {

constexpr int kValueCapacity = 500;
// Deeper nesting of skin files than this is taken for a loop through differently written names.
constexpr size_t kMaxSkinNesting = 16;

// The innermost skin file being built on this thread; each names the one it is built in. A plain pointer:
// a thread-local object with a destructor breaks threads that the C++ runtime did not start.
thread_local const CSkinNesting* t_innermostSkinFile = nullptr;

// Controls the builds on the UI thread dropped (refused by their parent, extra top-level ones), and how many
// builds run: the drops wait for the outermost build, as the application's code it ran is held till then.
struct BuildDrops {
    int running = 0;
    std::vector<CControlUI*> controls;
};

BuildDrops& Drops()
{
    static BuildDrops drops;
    return drops;
}

// What names a skin file for the nesting check; empty for inline XML text.
std::wstring SkinFileKey(const wchar_t* xml, const wchar_t* type)
{
    if (!xml) return std::wstring();
    if (IS_INTRESOURCE(xml)) {
        std::wstring key = L"#" + std::to_wstring(reinterpret_cast<UINT_PTR>(xml)) + L":";
        if (IS_INTRESOURCE(type)) key += L"#" + std::to_wstring(reinterpret_cast<UINT_PTR>(type));
        else if (type) key += type;
        return key;
    }
    if (xml[0] == L'<') return std::wstring();
    std::wstring key(xml);
    for (wchar_t& ch : key) ch = ch == L'\\' ? L'/' : static_cast<wchar_t>(::towlower(ch));
    return key;
}

// A node value carries a table of its attributes, about a kilobyte: the element cursor of each level lives on
// the heap, and stepping it happens in a frame of its own, so that nesting costs little stack per level.
[[gnu::noinline]] std::unique_ptr<CXmlNode> FirstChildOf(const CXmlNode& node)
{
    return std::make_unique<CXmlNode>(node.GetChild());
}

[[gnu::noinline]] void MoveToSibling(CXmlNode& node) { node = node.GetSibling(); }

bool IsResourceElement(const wchar_t* name)
{
    return _wcsicmp(name, L"Image") == 0 || _wcsicmp(name, L"Font") == 0 || _wcsicmp(name, L"Default") == 0 ||
           _wcsicmp(name, L"Style") == 0 || _wcsicmp(name, L"Import") == 0;
}

void RegisterImage(CXmlNode node, CWindowUIManager* manager)
{
    const wchar_t* name = nullptr;
    const wchar_t* type = nullptr;
    DWORD mask = 0;
    bool shared = false;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        const wchar_t* key = node.GetAttributeName(i);
        const wchar_t* value = node.GetAttributeValue(i);
        if (_wcsicmp(key, L"name") == 0) name = value;
        else if (_wcsicmp(key, L"restype") == 0) type = value;
        else if (_wcsicmp(key, L"mask") == 0) mask = ParseColorValue(value);
        else if (_wcsicmp(key, L"shared") == 0) shared = ParseBool(value);
    }
    if (name) manager->AddImage(name, type, mask, false, shared);
}

void RegisterFont(CXmlNode node, CWindowUIManager* manager)
{
    int id = -1;
    const wchar_t* face = nullptr;
    int size = 12;
    bool bold = false, underline = false, italic = false, isDefault = false, shared = false;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        const wchar_t* key = node.GetAttributeName(i);
        const wchar_t* value = node.GetAttributeValue(i);
        if (_wcsicmp(key, L"id") == 0) id = static_cast<int>(wcstol(value, nullptr, 10));
        else if (_wcsicmp(key, L"name") == 0) face = value;
        else if (_wcsicmp(key, L"size") == 0) size = static_cast<int>(wcstol(value, nullptr, 10));
        else if (_wcsicmp(key, L"bold") == 0) bold = ParseBool(value);
        else if (_wcsicmp(key, L"underline") == 0) underline = ParseBool(value);
        else if (_wcsicmp(key, L"italic") == 0) italic = ParseBool(value);
        else if (_wcsicmp(key, L"default") == 0) isDefault = ParseBool(value);
        else if (_wcsicmp(key, L"shared") == 0) shared = ParseBool(value);
    }
    if (id < 0) return;
    manager->AddFont(id, face, size, bold, underline, italic, shared);
    if (isDefault) manager->SetDefaultFont(face, size, bold, underline, italic, shared);
}

// "Default" and "Style": a name, an attribute list and the shared flag.
void RegisterNamedList(CXmlNode node, CWindowUIManager* manager, bool isStyle)
{
    const wchar_t* name = nullptr;
    const wchar_t* value = nullptr;
    bool shared = false;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        const wchar_t* key = node.GetAttributeName(i);
        if (_wcsicmp(key, L"name") == 0) name = node.GetAttributeValue(i);
        else if (_wcsicmp(key, L"value") == 0) value = node.GetAttributeValue(i);
        else if (_wcsicmp(key, L"shared") == 0) shared = ParseBool(node.GetAttributeValue(i));
    }
    if (!name) {
        if (!isStyle) ::OutputDebugStringW(L"SkinUI: Warning: \"Default\" miss \"name\" attribute.\n");
        return;
    }
    if (isStyle) manager->AddStyle(name, value, shared);
    else manager->SetDefaultAttributeList(name, value, shared);
}

}  // namespace

CSkinNesting::CSkinNesting(const wchar_t* xml, const wchar_t* type) : m_key(SkinFileKey(xml, type))
{
    if (m_key.empty()) return;
    bool looped = false;
    size_t nesting = 0;
    for (const CSkinNesting* outer = t_innermostSkinFile; outer; outer = outer->m_outer, ++nesting)
        looped = looped || outer->m_key == m_key;
    if (looped || nesting >= kMaxSkinNesting) {
        DebugOutputFormat(looped ? L"SkinUI: Warning: Skin file %ls includes itself.\n"
                                 : L"SkinUI: Warning: Skin file %ls is nested too deeply.\n",
                          m_key.c_str());
        m_refused = true;
        return;
    }
    m_outer = t_innermostSkinFile;
    t_innermostSkinFile = this;
    m_entered = true;
}

CSkinNesting::~CSkinNesting()
{
    if (m_entered) t_innermostSkinFile = m_outer;
}

const wchar_t* CDialogBuilder::ResourceType() const
{
    return m_resourceTypeId ? m_resourceTypeId : m_resourceTypeName.GetData();
}

bool CDialogBuilder::Load(const wchar_t* xml, const wchar_t* type)
{
    if (!xml) return false;
    if (IS_INTRESOURCE(xml)) {
        HINSTANCE instance = m_instance ? m_instance : CWindowUIManager::GetResourceInstance();
        HRSRC found = ::FindResourceW(instance, xml, type);
        HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
        const DWORD size = found ? ::SizeofResource(instance, found) : 0;
        const void* data = loaded ? ::LockResource(loaded) : nullptr;
        if (!data || size == 0) return m_xml.FailLoad(L"Could not load the skin resource");
        m_fromResource = true;
        m_resourceTypeId = IS_INTRESOURCE(type) ? type : nullptr;
        m_resourceTypeName = IS_INTRESOURCE(type) ? nullptr : type;
        return m_xml.LoadFromSkinBytes(data, size);
    }
    CUIString source(xml);
    if (source.GetAt(0) != L'<') {
        if (const CUIString* alias = CTextResources::GetInstance()->GetSkinAlias(source)) source = *alias;
    }
    if (source.GetAt(0) == L'<') return m_xml.Load(source);
    return m_xml.LoadFromFile(source);
}

CControlUI* CDialogBuilder::Create(const wchar_t* xml, const wchar_t* type, IDialogBuilderCallback* callback,
                                   CWindowUIManager* manager, CControlUI* parent)
{
    const CSkinNesting nesting(xml, type);
    if (nesting.IsRefused() || !Load(xml, type)) return nullptr;
    return Create(callback, manager, parent);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* callback, CWindowUIManager* manager, CControlUI* parent)
{
    const CSkinBuildBudget budget;
    const CSkinDepthBase depth(parent);
    m_callback = callback;
    CXmlNode root = m_xml.GetRoot();
    if (!root.IsValid()) return nullptr;
    // Controls built into a container a window already shows belong to that window, whichever manager
    // the caller named: a control is registered with the manager of the tree it sits in.
    if (manager && parent && parent->GetManager()) manager = parent->GetManager();
    CControlUI* first = nullptr;
    {
        // Building runs the application's code (its controls' attributes and inits, a container's adding):
        // what that code ends, the parent built into or its window, waits until the build has returned.
        const CWindowWnd::HandlerScope building(manager ? manager->GetWindowHandle() : nullptr);
        ++Drops().running;
        first = BuildHeld(root, parent, manager);
        --Drops().running;
    }
    if (Drops().running == 0) DeleteDropped();
    return first;
}

CControlUI* CDialogBuilder::BuildHeld(CXmlNode root, CControlUI* parent, CWindowUIManager* manager)
{
    if (manager) {
        const bool isWindow = _wcsicmp(root.GetName(), L"Window") == 0 && manager->GetWindowHandle();
        if (isWindow) ApplyWindowDpi(root, manager);
        RegisterResources(root, manager);
        if (isWindow) ApplyWindowAttributes(root, manager);
    }
    return BuildLevel(root, parent, manager);
}

void CDialogBuilder::RegisterResources(CXmlNode root, CWindowUIManager* manager)
{
    for (CXmlNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* name = node.GetName();
        if (_wcsicmp(name, L"Image") == 0) {
            RegisterImage(node, manager);
        } else if (_wcsicmp(name, L"Font") == 0) {
            RegisterFont(node, manager);
        } else if (_wcsicmp(name, L"Default") == 0 || _wcsicmp(name, L"Style") == 0) {
            if (node.HasAttributes() || _wcsicmp(name, L"Default") != 0) {
                RegisterNamedList(node, manager, _wcsicmp(name, L"Style") == 0);
            } else {
                ::OutputDebugStringW(L"SkinUI: Warning: \"Default\" miss \"name\" attribute.\n");
            }
        } else if (_wcsicmp(name, L"Import") == 0) {
            wchar_t fontFile[MAX_PATH] = {};
            if (node.GetAttributeValue(L"fontfile", fontFile, MAX_PATH)) manager->AddFontFile(fontFile);
        }
    }
}

CControlUI* CDialogBuilder::CreateControlFor(const wchar_t* element) const
{
    CUIString className;
    className.Format(L"C%lsUI", element);
    if (CControlUI* control = CControlFactory::GetInstance()->CreateControl(className)) return control;
    const CPtrArray* creators = CWindowUIManager::GetControlCreators();
    for (int i = 0; i < creators->GetSize(); ++i) {
        auto creator = reinterpret_cast<ControlCreator>((*creators)[i]);
        if (CControlUI* control = creator(element)) return control;
    }
    return m_callback ? m_callback->CreateControl(element) : nullptr;
}

void CDialogBuilder::BuildInclude(const CXmlNode& node, CControlUI* parent, CWindowUIManager* manager, CControlUI*& first)
{
    if (!node.HasAttributes()) return;
    wchar_t source[kValueCapacity] = {};
    wchar_t countText[kValueCapacity] = {};
    const bool hasSource = node.GetAttributeValue(L"source", source, kValueCapacity);
    const int count = node.GetAttributeValue(L"count", countText, kValueCapacity) ? _wtoi(countText) : 1;
    if (!hasSource) return;
    for (int i = 0; i < count && CSkinBuildBudget::Take(); ++i) {
        CDialogBuilder builder;
        CControlUI* built = nullptr;
        if (!m_fromResource) {
            built = builder.Create(source, nullptr, m_callback, manager, parent);
        } else {
            const auto id = static_cast<WORD>(wcstol(source, nullptr, 10));
            builder.SetInstance(m_instance);
            built = builder.Create(MAKEINTRESOURCEW(id), ResourceType(), m_callback, manager, parent);
        }
        // Into a parent the included controls are the parent's; at the top level they are the root
        // or nobody's.
        if (parent || !built) continue;
        if (!first) first = built;
        else DiscardExtraTopLevelControl(built, L"Include");
    }
}

CControlUI* CDialogBuilder::BuildLevel(const CXmlNode& node, CControlUI* parent, CWindowUIManager* manager)
{
    const CSkinLevel level;
    if (level.IsTooDeep()) return nullptr;
    CControlUI* first = nullptr;
    CBuildParent target(parent);
    for (const std::unique_ptr<CXmlNode> cursor = FirstChildOf(node); cursor->IsValid(); MoveToSibling(*cursor)) {
        const CXmlNode& child = *cursor;
        const wchar_t* element = child.GetName();
        if (IsResourceElement(element)) continue;
        if (_wcsicmp(element, L"Include") == 0) {
            BuildInclude(child, parent, manager, first);
            continue;
        }
        if (!CSkinBuildBudget::Take()) break;
        CControlUI* control = CreateControlFor(element);
        if (!control) {
            DebugOutputFormat(L"SkinUI: Warning: Unknown Control: %ls.\n", element);
            continue;
        }
        if (child.HasChildren()) BuildLevel(child, control, manager);
        CControlUI* treeView = nullptr;
        if (parent) {
            const CBuildParent::Result attached = target.Attach(control, treeView);
            if (attached != CBuildParent::Result::Added) {
                DebugOutputFormat(L"SkinUI: Warning: %ls could not be added to %ls and is dropped.\n", element,
                                  parent->GetClass());
                Drop(control);
                if (attached == CBuildParent::Result::NoContainer) return nullptr;
                continue;
            }
        }
        // A parent already in a window has bound its new child to the right parent; keep that.
        CControlUI* owner = control->GetParent() ? control->GetParent() : treeView;
        if (manager) {
            control->SetManager(manager, owner, treeView != nullptr);
            if (const wchar_t* defaults = manager->GetDefaultAttributeList(element)) control->ApplyAttributeList(defaults);
        }
        for (int i = 0; i < child.GetAttributeCount(); ++i)
            control->SetAttribute(child.GetAttributeName(i), child.GetAttributeValue(i));
        // Detached again until the root joins the window, which binds and initialises the whole tree; a parent
        // already in a window keeps its new child bound, and so does a tree view its nodes.
        if (manager && !treeView && !(parent && parent->GetManager())) control->SetManager(nullptr, owner, false);
        if (!first) first = control;
        else if (!parent) DiscardExtraTopLevelControl(control, element);
    }
    return first;
}

// Only the first control at the top level is handed back: a later one would belong to nobody.
void CDialogBuilder::DiscardExtraTopLevelControl(CControlUI* control, const wchar_t* element)
{
    DebugOutputFormat(L"SkinUI: Warning: Extra top-level control %ls ignored: a skin has one root.\n", element);
    Drop(control);
}

void CDialogBuilder::Drop(CControlUI* control) { Drops().controls.push_back(control); }

void CDialogBuilder::DeleteDropped()
{
    // As every deletion of the framework: a hosted browser lives on until its component's last Release.
    for (CControlUI* control : std::exchange(Drops().controls, {})) ControlDeletion::Delete(control);
}

}  // namespace SkinUI
