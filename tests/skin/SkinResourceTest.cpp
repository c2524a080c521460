#include "ResourceZip.h"

#include "Core/ImageRecord.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Core/XmlDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>

using namespace SkinUI;

namespace {

const char* const kWindowSkins[] = {"main.xml", "install.xml", "warn.xml"};
const int kDpiScales[] = {125, 150, 175, 200, 225, 250, 300, 350};
// Named by the progress window's code, not by a skin.
const wchar_t* const kSlideImages[] = {L"image\\show_1.png", L"image\\show_2.png", L"image\\show_3.png",
                                       L"image\\show_4.png"};

struct SkinElement {
    std::wstring element;
    int depth = 0;
    std::map<std::wstring, std::wstring> attributes;  // names lower-cased
    std::wstring Attribute(const wchar_t* name) const
    {
        auto found = attributes.find(name);
        return found == attributes.end() ? std::wstring() : found->second;
    }
};

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text) narrow += static_cast<char>(c == L'\\' ? L'/' : c);
    return narrow;
}

void Flatten(CXmlNode node, int depth, std::vector<SkinElement>& out)
{
    for (; node.IsValid(); node = node.GetSibling()) {
        SkinElement element;
        element.element = node.GetName();
        element.depth = depth;
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            element.attributes[Lower(node.GetAttributeName(i))] = node.GetAttributeValue(i);
        out.push_back(element);
        Flatten(node.GetChild(), depth + 1, out);
    }
}

// Every element of one skin file in document order, the root first (depth 0).
std::vector<SkinElement> ParseSkin(const char* file)
{
    ResourceZip zip;
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(zip.Read(file, bytes)) << file;
    CXmlDocument document;
    EXPECT_TRUE(document.LoadFromSkinBytes(bytes.data(), bytes.size()))
        << file << ": " << Narrow(document.GetErrorMessage()) << " at " << Narrow(document.GetErrorContext());
    std::vector<SkinElement> elements;
    Flatten(document.GetRoot(), 0, elements);
    return elements;
}

const SkinElement* FindNamed(const std::vector<SkinElement>& elements, const wchar_t* name)
{
    for (const SkinElement& element : elements)
        if (element.Attribute(L"name") == name) return &element;
    return nullptr;
}

// The file an image description names: the whole text, or the value of file='...' / res='...'.
std::string ImageFile(const std::wstring& description)
{
    for (const wchar_t* key : {L"file='", L"res='"}) {
        const size_t at = description.find(key);
        if (at == std::wstring::npos) continue;
        const size_t begin = at + wcslen(key);
        return Narrow(description.substr(begin, description.find(L'\'', begin) - begin));
    }
    return Narrow(description);
}

std::string DpiVariant(const std::string& name, int scale)
{
    const size_t dot = name.rfind('.');
    return name.substr(0, dot) + "@" + std::to_string(scale) + name.substr(dot);
}

std::set<std::string> ImagesNamedBy(const std::vector<SkinElement>& elements)
{
    std::set<std::string> images;
    const std::wstring suffix = L"image";
    for (const SkinElement& element : elements)
        for (const auto& [name, value] : element.attributes)
            if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                !value.empty())
                images.insert(ImageFile(value));
    return images;
}

class SkinResource : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CWindowUIManager::SetInstance(::GetModuleHandleW(nullptr));
        CWindowUIManager::SetResourceZip(102, L"ZIPRES");
    }
    static void TearDownTestSuite() { CWindowUIManager::Term(); }
};

TEST_F(SkinResource, IsAZipHoldingEverySkinFile)
{
    ResourceZip zip;
    ASSERT_TRUE(zip.IsOpen());
    const std::vector<std::string> names = zip.EntryNames();
    for (const char* file : {"main.xml", "install.xml", "warn.xml", "tray_menu.xml"})
        EXPECT_NE(std::find(names.begin(), names.end(), file), names.end()) << file;
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_LT(zip.Size(), 1024u * 1024u);
    EXPECT_EQ(L"membuffer", std::wstring(CWindowUIManager::GetResourceZipName().GetData()));
}

TEST_F(SkinResource, SkinsParseWithAWindowRootAndOnlyTheInstallersElements)
{
    const std::set<std::wstring> controls = {L"VerticalLayout", L"HorizontalLayout", L"Control", L"Label",
                                             L"Button", L"Edit", L"Progress"};
    for (const char* file : {"main.xml", "install.xml", "warn.xml", "tray_menu.xml"}) {
        const std::vector<SkinElement> elements = ParseSkin(file);
        ASSERT_FALSE(elements.empty()) << file;
        EXPECT_EQ(L"Window", elements[0].element) << file;
        EXPECT_FALSE(elements[0].Attribute(L"size").empty()) << file;
        for (size_t i = 1; i < elements.size(); ++i) {
            const SkinElement& element = elements[i];
            const bool allowed = controls.count(element.element) || (element.element == L"Font" && element.depth == 1);
            EXPECT_TRUE(allowed) << file << ": " << Narrow(element.element) << " at depth " << element.depth;
        }
    }
}

TEST_F(SkinResource, WindowsFindTheControlsTheyLookUp)
{
    const struct {
        const char* file;
        const wchar_t* name;
        const wchar_t* element;
    } expected[] = {
        {"main.xml", L"edtPath", L"Edit"},        {"main.xml", L"lblInfo", L"Label"},
        {"main.xml", L"btnClose", L"Button"},     {"main.xml", L"btnMin", L"Button"},
        {"main.xml", L"btnBrowser", L"Button"},   {"main.xml", L"btnNext", L"Button"},
        {"install.xml", L"progress", L"Progress"}, {"install.xml", L"lblProgress", L"Label"},
        {"install.xml", L"lblImage", L"Label"},   {"install.xml", L"btnClose", L"Button"},
        {"install.xml", L"btnMin", L"Button"},    {"warn.xml", L"lblMsg", L"Label"},
        {"warn.xml", L"btnOK", L"Button"},        {"warn.xml", L"btnCancel", L"Button"},
        {"warn.xml", L"btnClose", L"Button"},
    };
    std::map<std::string, std::vector<SkinElement>> skins;
    for (const char* file : kWindowSkins) skins[file] = ParseSkin(file);
    for (const auto& control : expected) {
        const SkinElement* found = FindNamed(skins[control.file], control.name);
        ASSERT_NE(nullptr, found) << control.file << ": " << Narrow(control.name);
        EXPECT_EQ(control.element, found->element) << control.file << ": " << Narrow(control.name);
    }
}

TEST_F(SkinResource, ControlNamesAreUniqueWithinEachSkin)
{
    for (const char* file : {"main.xml", "install.xml", "warn.xml", "tray_menu.xml"}) {
        std::set<std::wstring> seen;
        for (const SkinElement& element : ParseSkin(file)) {
            const std::wstring name = element.Attribute(L"name");
            if (element.element == L"Font" || name.empty()) continue;
            EXPECT_TRUE(seen.insert(name).second) << file << ": " << Narrow(name) << " twice";
        }
    }
}

TEST_F(SkinResource, FontIndexesUsedAreDefinedInTheSameSkin)
{
    for (const char* file : {"main.xml", "install.xml", "warn.xml", "tray_menu.xml"}) {
        const std::vector<SkinElement> elements = ParseSkin(file);
        std::set<std::wstring> defined;
        int defaults = 0;
        for (const SkinElement& element : elements) {
            if (element.element != L"Font") continue;
            defined.insert(element.Attribute(L"id"));
            defaults += Lower(element.Attribute(L"default")) == L"true";
        }
        EXPECT_EQ(1, defaults) << file;
        for (const SkinElement& element : elements)
            for (const wchar_t* attribute : {L"font", L"hotfont", L"pushedfont", L"focuedfont", L"disabledfont"}) {
                const std::wstring index = element.Attribute(attribute);
                if (element.element != L"Font" && !index.empty()) {
                    EXPECT_TRUE(defined.count(index)) << file << ": font " << Narrow(index);
                }
            }
    }
}

TEST_F(SkinResource, MainAndProgressWindowsOpenAt600By400)
{
    EXPECT_EQ(L"600,400", ParseSkin("main.xml")[0].Attribute(L"size"));
    EXPECT_EQ(L"600,400", ParseSkin("install.xml")[0].Attribute(L"size"));
}

// Every image a skin or the slide show names decodes through the framework's skin zip, and so does
// each display-scale variant, at the base size scaled as the framework scales nine-grid corners.
TEST_F(SkinResource, EveryNamedImageDecodesAtEveryScale)
{
    std::set<std::string> images;
    for (const char* file : {"main.xml", "install.xml", "warn.xml", "tray_menu.xml"}) {
        const std::set<std::string> named = ImagesNamedBy(ParseSkin(file));
        images.insert(named.begin(), named.end());
    }
    EXPECT_GT(images.size(), 10u);
    for (const wchar_t* slide : kSlideImages) images.insert(Narrow(slide));

    ResourceZip zip;
    const std::vector<std::string> entries = zip.EntryNames();
    const std::set<std::string> stored(entries.begin(), entries.end());
    for (const std::string& image : images) {
        ASSERT_TRUE(stored.count(image)) << image;
        ImageRecord* base = CPainter::LoadImage(Widen(image).c_str());
        ASSERT_NE(nullptr, base) << image;
        for (int scale : kDpiScales) {
            const std::string variant = DpiVariant(image, scale);
            EXPECT_TRUE(stored.count(variant)) << variant;
            ImageRecord* scaled = CPainter::LoadImage(Widen(variant).c_str());
            ASSERT_NE(nullptr, scaled) << variant;
            EXPECT_EQ(::MulDiv(base->nX, scale, 100), scaled->nX) << variant;
            EXPECT_EQ(::MulDiv(base->nY, scale, 100), scaled->nY) << variant;
            CPainter::FreeImage(scaled);
        }
        CPainter::FreeImage(base);
    }
}

TEST_F(SkinResource, SlidesFillTheImageLabelOfTheProgressWindow)
{
    const std::vector<SkinElement> elements = ParseSkin("install.xml");
    const SkinElement* label = FindNamed(elements, L"lblImage");
    ASSERT_NE(nullptr, label);
    for (const wchar_t* slide : kSlideImages) {
        ImageRecord* image = CPainter::LoadImage(slide);
        ASSERT_NE(nullptr, image) << Narrow(slide);
        EXPECT_EQ(600, image->nX) << Narrow(slide);
        EXPECT_EQ(std::to_wstring(image->nY), label->Attribute(L"height")) << Narrow(slide);
        CPainter::FreeImage(image);
    }
}

}  // namespace
