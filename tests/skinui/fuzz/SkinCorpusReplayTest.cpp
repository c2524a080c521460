// The skin fuzzer's corpus in every build under Wine, through the parser and through the dialog
// builder with a window manager, and a few thousand skins generated from the framework's own
// elements and attributes with careless and hostile values: none may crash, loop or hang.
#include "Core/ControlUI.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "MemoryZip.h"
#include "SkinXmlFuzzTarget.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

std::filesystem::path CorpusDirectory()
{
    std::string source = TOLVAN_SOURCE_DIR;
    if (!source.empty() && source[0] == '/') source = "Z:" + source;  // Wine maps the Unix root to Z:
    return std::filesystem::path(source) / "tests" / "skinui" / "fuzz" / "corpus";
}

CControlUI* CALLBACK CollectOption(CControlUI* control, void* options)
{
    if (control->GetInterface(L"Option")) static_cast<std::vector<CControlUI*>*>(options)->push_back(control);
    return nullptr;
}

// Builds a skin as a window would, selects its first options (each walks its group, where a control the
// builder dropped must not linger) and lets its manager delete the tree; true when it had a root.
bool BuildSkin(const std::wstring& xml)
{
    CWindowUIManager manager;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(xml.c_str(), nullptr, nullptr, &manager);
    if (!root) return false;
    manager.AttachRootControl(root);
    std::vector<CControlUI*> options;
    root->FindControl(&CollectOption, &options, 0);
    for (size_t i = 0; i < options.size() && i < 20; ++i) options[i]->Activate();
    return true;
}

// A file nesting `levels` vertical layouts around `bottom`.
std::string NestedFile(int levels, const std::string& bottom)
{
    std::string xml = "<Window>";
    for (int level = 0; level < levels; ++level) xml += "<VerticalLayout>";
    xml += bottom;
    for (int level = 0; level < levels; ++level) xml += "</VerticalLayout>";
    return xml + "</Window>";
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Skins made of the framework's own vocabulary, values chosen to hurt.
class SkinGenerator {
public:
    explicit SkinGenerator(unsigned seed) : m_random(seed) {}

    std::string Skin()
    {
        std::string xml = "<Window" + Attributes(kWindowAttributes, 4) + ">";
        const int resources = Below(5);
        for (int i = 0; i < resources; ++i) xml += Resource();
        const int roots = 1 + (Below(4) == 0 ? Below(3) : 0);
        for (int i = 0; i < roots; ++i) xml += Control(0);
        xml += "</Window>";
        if (Below(8) == 0) xml.resize(static_cast<size_t>(Below(static_cast<int>(xml.size()) + 1)));
        if (Below(8) == 0) xml.insert(static_cast<size_t>(Below(static_cast<int>(xml.size()) + 1)), Pick(kNoise));
        return xml;
    }

    // Small files for "Include" and "ChildLayout" that name each other.
    static std::vector<ZipEntry> IncludedFiles()
    {
        return {Entry("a.xml", "<Window><Label name=\"a\"/><Include source=\"b.xml\" count=\"2\"/></Window>"),
                Entry("b.xml", "<Window><VerticalLayout><Include source=\"c.xml\"/><ChildLayout xmlfile=\"a.xml\"/>"
                               "</VerticalLayout></Window>"),
                Entry("c.xml", "<Window><Style name=\"s0\" value=\"text=&quot;s1&quot;\"/><Label style=\"s0\"/>"
                               "<Include source=\"a.xml\"/></Window>"),
                Entry("d.xml", "<Window><ChildLayout xmlfile=\"d.xml\"/></Window>")};
    }

    // Hostile files: chains of five files 250 levels deep each, joined by "Include" (deep0.xml) and by
    // "ChildLayout" (cdeep0.xml), and inclusions that multiply to billions of options in one group (huge.xml).
    static std::vector<ZipEntry> HostileFiles()
    {
        std::vector<ZipEntry> files;
        for (int file = 0; file < 5; ++file) {
            const std::string next = std::to_string(file + 1) + ".xml";
            const bool last = file == 4;
            files.push_back(Entry("deep" + std::to_string(file) + ".xml",
                                  NestedFile(250, last ? "<Option group=\"g\"/>" : "<Include source=\"deep" + next + "\"/>")));
            files.push_back(Entry("cdeep" + std::to_string(file) + ".xml",
                                  NestedFile(250, last ? "<Option group=\"g\"/>" : "<ChildLayout xmlfile=\"cdeep" + next + "\"/>")));
        }
        files.push_back(Entry("huge.xml", "<Window><VerticalLayout><Include source=\"many.xml\" count=\"3000000\"/>"
                                          "</VerticalLayout></Window>"));
        files.push_back(Entry("many.xml", "<Window><Option group=\"g\"/><Include source=\"leaf.xml\" count=\"2000\"/>"
                                          "</Window>"));
        files.push_back(Entry("leaf.xml", "<Window><Label><HorizontalLayout><Option group=\"g\"/></HorizontalLayout>"
                                          "</Label><Option group=\"g\"/></Window>"));
        return files;
    }

private:
    static constexpr const char* kElements[] = {
        "Control", "Container", "VerticalLayout", "HorizontalLayout", "TabLayout", "TileLayout", "ChildLayout",
        "Label", "Button", "Progress", "Edit", "ScrollBar", "Text", "Option", "CheckBox", "List", "ListHeader",
        "ListHeaderItem", "ListLabelElement", "ListContainerElement", "TreeView", "TreeNode", "Combo", "Slider",
        "Include", "Bogus"};
    static constexpr const char* kAttributes[] = {
        "name", "text", "pos", "float", "width", "height", "minwidth", "minheight", "maxwidth", "maxheight",
        "padding", "inset", "bkcolor", "bordersize", "bordercolor", "borderround", "visible", "enabled", "font",
        "align", "textpadding", "childpadding", "vscrollbar", "hscrollbar", "vscrollbarstyle", "hscrollbarstyle",
        "selectedid", "xmlfile", "source", "count", "bkimage", "normalimage", "tooltip", "showhtml", "multiline",
        "min", "max", "value", "itemfont", "columns", "group", "selected", "style", "itemheight", "indent"};
    static constexpr const char* kWindowAttributes[] = {
        "size", "caption", "sizebox", "roundcorner", "mininfo", "maxinfo", "dpi", "shadowsize", "shadowsharpness",
        "shadowdarkness", "shadowposition", "shadowcolor", "shadowcorner", "showshadow", "shadowimage", "layered",
        "opacity", "defaultfontcolor", "layeredimage"};
    static constexpr const char* kValues[] = {
        "-1", "-35", "0", "1", "36", "99999", "-2147483648", "2147483647", "abc", "", "1,2,3,4", "-5,-5,-5,-5",
        "#FFFF0000", "0,0,0,-1", "s0", "s1", "s2", "a.xml", "b.xml", "d.xml", "missing.xml", "deep0.xml", "cdeep0.xml",
        "huge.xml", "true", "false",
        "file='nope.png' source='0,0,-1,-1' corner='-3,-3,-3,-3'", "1000000", "3", "system", "&amp;&lt;&#65;"};
    static constexpr const char* kNoise[] = {"<", ">", "\"", "&", "</Window>", "<!--", "]]>", "<Label", "=", "\x01"};

    template <size_t N>
    const char* Pick(const char* const (&items)[N])
    {
        return items[Below(static_cast<int>(N))];
    }
    int Below(int limit) { return limit <= 0 ? 0 : std::uniform_int_distribution<int>(0, limit - 1)(m_random); }

    // Attribute values are quoted: a quote inside a value would only end it early.
    template <size_t N>
    std::string Attributes(const char* const (&names)[N], int most)
    {
        std::string text;
        const int count = Below(most + 1);
        for (int i = 0; i < count; ++i) text += std::string(" ") + Pick(names) + "=\"" + Pick(kValues) + "\"";
        return text;
    }

    std::string Resource()
    {
        switch (Below(4)) {
        case 0:
            return "<Style name=\"s" + std::to_string(Below(3)) + "\" value=\"" + AttributeList() + "\"/>";
        case 1:
            return std::string("<Default name=\"") + Pick(kElements) + "\" value=\"" + AttributeList() + "\"/>";
        case 2:
            return "<Font id=\"" + std::to_string(Below(4) - 1) + "\" name=\"Arial\" size=\"" + Pick(kValues) +
                   "\" default=\"" + (Below(2) ? "true" : "false") + "\"/>";
        default:
            return std::string("<Image name=\"") + Pick(kValues) + "\"/>";
        }
    }

    // An attribute list inside an attribute value, with its quotes escaped; it may name styles.
    std::string AttributeList()
    {
        std::string list;
        const int count = 1 + Below(3);
        for (int i = 0; i < count; ++i) list += std::string(Pick(kAttributes)) + "=&quot;" + Pick(kValues) + "&quot; ";
        return list;
    }

    std::string Control(int depth)
    {
        const char* element = Pick(kElements);
        std::string xml = std::string("<") + element + Attributes(kAttributes, 5);
        const int children = depth < 4 ? Below(4) : 0;
        if (children == 0) return xml + "/>";
        xml += ">";
        for (int i = 0; i < children; ++i) xml += Control(depth + 1);
        return xml + "</" + element + ">";
    }

    std::mt19937 m_random;
};

class SkinCorpusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<ZipEntry> files = SkinGenerator::IncludedFiles();
        for (ZipEntry& file : SkinGenerator::HostileFiles()) files.push_back(std::move(file));
        const std::string zip = MakeZip(files);
        ASSERT_TRUE(CWindowUIManager::SetResourceZipMemory(zip.data(), zip.size()));
    }
    void TearDown() override { CWindowUIManager::Term(); }
};

}  // namespace

TEST_F(SkinCorpusTest, EveryCorpusInputParsesAndBuilds)
{
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(CorpusDirectory())) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().filename().string());
        FuzzSkinXml(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        BuildSkin(Widen(bytes));
        ++inputs;
    }
    EXPECT_GE(inputs, 10);
}

TEST_F(SkinCorpusTest, ThreeThousandGeneratedSkinsBuild)
{
    SkinGenerator generator(20261207);
    int built = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string skin = generator.Skin();
        SCOPED_TRACE(skin);
        FuzzSkinXml(reinterpret_cast<const uint8_t*>(skin.data()), skin.size());
        built += BuildSkin(Widen(skin));
    }
    // Most are whole skins: the builder, not only the parser, had its say.
    EXPECT_GT(built, 1500);
    std::cout << built << " of 3000 generated skins built a tree" << std::endl;
}

TEST_F(SkinCorpusTest, DeepChainsAndHugeCountsBuildWithinBounds)
{
    const char* const skins[] = {
        "<Window><Include source=\"deep0.xml\"/></Window>",
        "<Window><VerticalLayout><ChildLayout xmlfile=\"cdeep0.xml\"/></VerticalLayout></Window>",
        "<Window><Include source=\"huge.xml\"/></Window>",
        "<Window><VerticalLayout><Include source=\"many.xml\" count=\"3000000\"/><ChildLayout xmlfile=\"huge.xml\"/>"
        "<Option group=\"g\"/></VerticalLayout></Window>",
    };
    for (const char* skin : skins) {
        SCOPED_TRACE(skin);
        EXPECT_TRUE(BuildSkin(Widen(skin)));
    }
}
