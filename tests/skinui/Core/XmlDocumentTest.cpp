#include "Core/XmlDocument.h"
#include "SkinTestData.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace SkinUI;

namespace {

std::string ToUtf8(const std::wstring& text)
{
    std::string bytes(text.size() * 3, '\0');
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                                             static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<size_t>(length));
    return bytes;
}

std::string ToUtf16(const std::wstring& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::wstring Value(const CXmlNode& node, const wchar_t* name)
{
    wchar_t value[500] = {};
    return node.GetAttributeValue(name, value, 500) ? value : L"<absent>";
}

// Element names in document order (pre-order), each indented by its depth.
void Outline(const CXmlNode& node, int depth, std::wstring& out)
{
    for (CXmlNode child = node; child.IsValid(); child = child.GetSibling()) {
        out += std::wstring(depth, L' ') + child.GetName() + L"\n";
        Outline(child.GetChild(), depth + 1, out);
    }
}

std::wstring Outline(const CXmlDocument& document)
{
    std::wstring out;
    Outline(document.GetRoot(), 0, out);
    return out;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path SampleWindowPath()
{
    return std::filesystem::u8path(TOLVAN_SOURCE_DIR "/tests/skinui/data/xml/sample_window.xml");
}

const wchar_t* const kSampleOutline = L"Window\n"
                                      L" Font\n"
                                      L" Font\n"
                                      L" Default\n"
                                      L" Image\n"
                                      L" VerticalLayout\n"
                                      L"  HorizontalLayout\n"
                                      L"   Label\n"
                                      L"   Control\n"
                                      L"   Button\n"
                                      L"  HorizontalLayout\n"
                                      L"   Edit\n"
                                      L"   Button\n"
                                      L"  Label\n"
                                      L"  Progress\n"
                                      L"  Button\n";

class TempFolder {
public:
    TempFolder()
    {
        m_path = std::filesystem::temp_directory_path() /
                 (L"skinui-xml-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++s_serial));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes) const
    {
        const std::filesystem::path file = m_path / name;
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.wstring();
    }

private:
    static inline int s_serial = 0;
    std::filesystem::path m_path;
};

}  // namespace

TEST(XmlDocumentEncoding, Utf8WithAndWithoutMarkLoadTheSame)
{
    const std::string withMark = ReadBytes(SampleWindowPath());
    ASSERT_EQ("\xEF\xBB\xBF", withMark.substr(0, 3));
    CXmlDocument marked, plain;
    ASSERT_TRUE(marked.LoadFromMem(withMark.data(), withMark.size(), XmlEncoding::Utf8)) << marked.GetErrorMessage();
    ASSERT_TRUE(plain.LoadFromMem(withMark.data() + 3, withMark.size() - 3, XmlEncoding::Utf8));
    EXPECT_EQ(kSampleOutline, Outline(marked));
    EXPECT_EQ(kSampleOutline, Outline(plain));
    const CXmlNode title = marked.GetRoot().GetChild().GetSibling().GetSibling().GetSibling().GetSibling()
                               .GetChild().GetChild();
    EXPECT_EQ(L"Tolvan游戏-在线安装", Value(title, L"text"));
}

TEST(XmlDocumentEncoding, Utf16InEitherByteOrderAndAnsiDecodeTheSameText)
{
    const std::wstring text = L"<Window title=\"在线安装 &amp; 更新\"><Label text=\"é\"/></Window>";
    for (bool bigEndian : {false, true}) {
        const std::string bytes = ToUtf16(text, bigEndian);
        const std::string untouched = bytes;
        CXmlDocument document;
        ASSERT_TRUE(document.LoadFromMem(bytes.data(), bytes.size(), XmlEncoding::Utf16)) << bigEndian;
        EXPECT_EQ(L"在线安装 & 更新", Value(document.GetRoot(), L"title"));
        EXPECT_EQ(L"é", Value(document.GetRoot().GetChild(), L"text"));
        EXPECT_EQ(untouched, bytes) << "the caller's bytes stay as they were";
    }
    const std::string ascii = "<Window name=\"main\"/>";
    CXmlDocument ansi;
    ASSERT_TRUE(ansi.LoadFromMem(ascii.data(), ascii.size(), XmlEncoding::Ansi));
    EXPECT_EQ(L"main", Value(ansi.GetRoot(), L"name"));
}

TEST(XmlDocumentEncoding, Utf16NeedsItsMarkAndDropsAnOddTrailingByte)
{
    std::string bytes = ToUtf16(L"<a/>", false);
    CXmlDocument document;
    EXPECT_FALSE(document.LoadFromMem(bytes.data() + 2, bytes.size() - 2, XmlEncoding::Utf16));
    EXPECT_FALSE(document.GetRoot().IsValid());
    EXPECT_FALSE(document.LoadFromMem(bytes.data(), 1, XmlEncoding::Utf16));
    bytes += '\x41';
    ASSERT_TRUE(document.LoadFromMem(bytes.data(), bytes.size(), XmlEncoding::Utf16));
    EXPECT_STREQ(L"a", document.GetRoot().GetName());
}

TEST(XmlDocumentEncoding, TextAfterAnEmbeddedZeroIsIgnored)
{
    const std::string bytes("<a x=\"1\"/>\0<b>", 14);
    CXmlDocument document;
    ASSERT_TRUE(document.LoadFromMem(bytes.data(), bytes.size(), XmlEncoding::Utf8));
    EXPECT_STREQ(L"a", document.GetRoot().GetName());
    EXPECT_FALSE(document.GetRoot().GetSibling().IsValid());
}

TEST(XmlDocumentTree, WalksElementsInDocumentOrder)
{
    CXmlDocument document(L"<Window>\n  <A>text<B/><C></C></A>\r\n\t<D x=\"1\"/></Window>");
    ASSERT_TRUE(document.GetRoot().IsValid()) << document.GetErrorMessage();
    EXPECT_EQ(L"Window\n A\n  B\n  C\n D\n", Outline(document));
    const CXmlNode a = document.GetRoot().GetChild();
    EXPECT_TRUE(a.HasChildren());
    EXPECT_FALSE(a.HasAttributes());
    EXPECT_FALSE(a.GetChild().HasChildren());
    EXPECT_FALSE(a.GetSibling().GetSibling().IsValid());
    EXPECT_FALSE(document.GetRoot().GetSibling().IsValid());
}

TEST(XmlDocumentTree, EmptyRootKeepsAPlainAmpersandFromItsEntityReference)
{
    CXmlDocument document;
    ASSERT_TRUE(document.Load(L"<Window first=\"1\" second=\"a&amp;b\"/>"));
    const CXmlNode root = document.GetRoot();
    EXPECT_FALSE(root.HasChildren());
    ASSERT_EQ(2, root.GetAttributeCount());
    EXPECT_STREQ(L"first", root.GetAttributeName(0));
    EXPECT_STREQ(L"1", root.GetAttributeValue(0));
    EXPECT_STREQ(L"second", root.GetAttributeName(1));
    EXPECT_STREQ(L"a&b", root.GetAttributeValue(1));
}

TEST(XmlDocumentTree, DecodesTheFivePredefinedReferencesOnly)
{
    CXmlDocument document(L"<a v=\"&lt;&gt;&quot;&apos;&amp;\" w=\"&nbsp; &#65; &amp x&\" s=\"  two  blanks \"/>");
    const CXmlNode root = document.GetRoot();
    ASSERT_TRUE(root.IsValid()) << document.GetErrorMessage();
    EXPECT_EQ(L"<>\"'&", Value(root, L"v"));
    EXPECT_EQ(L"&nbsp; &#65; &amp x&", Value(root, L"w"));
    EXPECT_EQ(L"  two  blanks ", Value(root, L"s"));
}

TEST(XmlDocumentTree, CommentsAndDeclarationsLeaveNoNode)
{
    CXmlDocument document(L"<?xml version=\"1.0\"?><!-- head --><a><!-- <b/> --><c/><? pi ?></a><!-- tail -->");
    EXPECT_EQ(L"a\n c\n", Outline(document));
}

TEST(XmlDocumentTree, AttributesAreFoundByNameIgnoringCaseAndCutToTheBuffer)
{
    CXmlDocument document(L"<a Name=\"first\" name=\"second\" long=\"0123456789\" empty=\"\" = \"nameless\"/>");
    const CXmlNode root = document.GetRoot();
    ASSERT_EQ(5, root.GetAttributeCount()) << document.GetErrorMessage();
    EXPECT_EQ(L"first", Value(root, L"NAME"));
    EXPECT_EQ(L"", Value(root, L"empty"));
    EXPECT_EQ(L"nameless", Value(root, L""));
    wchar_t buffer[5] = {L'#', L'#', L'#', L'#', L'#'};
    ASSERT_TRUE(root.GetAttributeValue(L"long", buffer, 4));
    EXPECT_STREQ(L"012", buffer);
    EXPECT_EQ(L'#', buffer[4]);
    ASSERT_FALSE(root.GetAttributeValue(L"missing", buffer, 5));
    EXPECT_STREQ(L"012", buffer);
    EXPECT_FALSE(root.GetAttributeValue(L"long", buffer, 0));
}

TEST(XmlDocumentTree, IndexesOutOfRangeGiveEmptyTextAndInvalidNodesNull)
{
    CXmlDocument document(L"<a x=\"1\"/>");
    const CXmlNode root = document.GetRoot();
    EXPECT_STREQ(L"", root.GetAttributeName(1));
    EXPECT_STREQ(L"", root.GetAttributeValue(-1));
    const CXmlNode invalid = root.GetChild();
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_EQ(nullptr, invalid.GetName());
    EXPECT_EQ(nullptr, invalid.GetAttributeName(0));
    EXPECT_EQ(nullptr, invalid.GetAttributeValue(0));
    EXPECT_EQ(0, invalid.GetAttributeCount());
    EXPECT_FALSE(invalid.HasChildren());
    EXPECT_FALSE(invalid.GetSibling().IsValid());
    wchar_t buffer[4] = L"abc";
    EXPECT_FALSE(invalid.GetAttributeValue(L"x", buffer, 4));
    EXPECT_STREQ(L"abc", buffer);
}

TEST(XmlDocumentTree, SeventyAttributesShowSixtyFour)
{
    std::wstring text = L"<a";
    for (int i = 0; i < 70; ++i) text += L" k" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
    text += L"><b/></a>";
    CXmlDocument document(text.c_str());
    const CXmlNode root = document.GetRoot();
    ASSERT_EQ(64, root.GetAttributeCount()) << document.GetErrorMessage();
    EXPECT_STREQ(L"k63", root.GetAttributeName(63));
    EXPECT_STREQ(L"v63", root.GetAttributeValue(63));
    EXPECT_EQ(L"<absent>", Value(root, L"k64"));
    EXPECT_STREQ(L"b", root.GetChild().GetName());
}

TEST(XmlDocumentTree, RootAndItsChildrenMayStayOpenAtTheEnd)
{
    CXmlDocument document;
    ASSERT_TRUE(document.Load(L"<Window size=\"1,2\"><Label text=\"x\"/><Button>press")) << document.GetErrorMessage();
    EXPECT_EQ(L"Window\n Label\n Button\n", Outline(document));
    EXPECT_EQ(L"1,2", Value(document.GetRoot(), L"size"));
    ASSERT_TRUE(document.Load(L"<Window>"));
    EXPECT_STREQ(L"Window", document.GetRoot().GetName());
}

TEST(XmlDocumentTree, EmptyTextLoadsWithoutARoot)
{
    CXmlDocument document;
    EXPECT_TRUE(document.Load(L"  \r\n "));
    EXPECT_FALSE(document.GetRoot().IsValid());
    EXPECT_TRUE(document.Load(nullptr));
    EXPECT_FALSE(document.GetRoot().IsValid());
}

TEST(XmlDocumentTree, NodesOfAReleasedOrReloadedDocumentTurnInvalid)
{
    CXmlDocument document(L"<a x=\"1\"><b/></a>");
    const CXmlNode root = document.GetRoot();
    ASSERT_TRUE(root.IsValid());
    ASSERT_TRUE(document.Load(L"<c/>"));
    EXPECT_FALSE(root.IsValid());
    EXPECT_EQ(nullptr, root.GetName());
    EXPECT_EQ(0, root.GetAttributeCount());
    document.Release();
    EXPECT_FALSE(document.GetRoot().IsValid());
}

TEST(XmlDocumentTree, LoadsTextTakenFromItself)
{
    CXmlDocument document(L"<a x=\"&lt;b y=&quot;2&quot;/&gt;\"/>");
    ASSERT_TRUE(document.Load(document.GetRoot().GetAttributeValue(0)));
    EXPECT_EQ(L"2", Value(document.GetRoot(), L"y"));
}

TEST(XmlDocumentErrors, ReportTheReasonAndLeaveTheDocumentEmpty)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* message;
        const wchar_t* context;
    };
    const Case cases[] = {
        {L"<Window a='1'/>", L"Expected attribute value", L"'1'/>"},
        {L"<Window><A><B>text", L"Expected end-tag start", L""},
        {L"<Window><A><B/>", L"Expected start tag", L""},
        {L"<Window></Windows>", L"Unmatched closing tag", L"s>"},
        {L"<Window></Windo>", L"Unmatched closing tag", L"Windo>"},
        {L"<Window><A></B></Window>", L"Unmatched closing tag", L"B></Window>"},
        {L"hello<a/>", L"Expected start tag", L"hello<a/>"},
        {L"<a><b/>text</a>", L"Expected start tag", L"text</a>"},
        {L"<Window", L"Error parsing element name", L""},
        {L"<Window a>", L"Error while parsing attributes", L">"},
        {L"<Window a=\"1\" !>", L"Error while parsing attributes", L"!>"},
        {L"<Window a=\"1", L"Error while parsing attribute string", L""},
        {L"<Window a=\"1\" / >", L"Expected start-tag closing", L"/ >"},
        {L"<a/><!-- open", L"Unterminated comment or declaration", L"!-- open"},
        {L"<?xml version=\"1.0\"", L"Unterminated comment or declaration", L"?xml version=\"1.0\""},
        {L"<a/></b>", L"Unmatched closing tag", L"</b>"},
    };
    for (const Case& c : cases) {
        CXmlDocument document;
        ASSERT_TRUE(document.Load(L"<ok/>"));
        EXPECT_FALSE(document.Load(c.text)) << c.text;
        EXPECT_STREQ(c.message, document.GetErrorMessage()) << c.text;
        EXPECT_STREQ(c.context, document.GetErrorContext()) << c.text;
        EXPECT_FALSE(document.GetRoot().IsValid()) << c.text;
        ASSERT_TRUE(document.Load(L"<ok/>"));
        EXPECT_STREQ(L"", document.GetErrorMessage());
        EXPECT_STREQ(L"", document.GetErrorContext());
    }
}

TEST(XmlDocumentErrors, ContextIsCutToFortyNineCharacters)
{
    const std::wstring tail(200, L'x');
    CXmlDocument document;
    EXPECT_FALSE(document.Load((L"<a/>" + tail).c_str()));
    EXPECT_EQ(tail.substr(0, 49), document.GetErrorContext());
}

TEST(XmlDocumentErrors, DeepNestingFailsInsteadOfExhaustingTheStack)
{
    auto nested = [](int depth) {
        std::wstring text;
        for (int i = 0; i < depth; ++i) text += L"<a>";
        for (int i = 0; i < depth; ++i) text += L"</a>";
        return text;
    };
    CXmlDocument document;
    EXPECT_TRUE(document.Load(nested(kMaxXmlNesting).c_str())) << document.GetErrorMessage();
    EXPECT_FALSE(document.Load(nested(kMaxXmlNesting + 2).c_str()));
    EXPECT_STREQ(L"Elements nested too deeply", document.GetErrorMessage());
    EXPECT_FALSE(document.Load(nested(500000).c_str()));
    EXPECT_STREQ(L"Elements nested too deeply", document.GetErrorMessage());
}

TEST(XmlDocumentFile, LoadsAFileUnderAChinesePath)
{
    TempFolder folder;
    const std::wstring path = folder.Write(L"皮肤 main.xml", ReadBytes(SampleWindowPath()));
    CXmlDocument document;
    ASSERT_TRUE(document.LoadFromFile(path.c_str())) << document.GetErrorMessage();
    EXPECT_EQ(kSampleOutline, Outline(document));
    const std::wstring utf16 = folder.Write(L"utf16.xml", ToUtf16(L"<a b=\"c\"/>", true));
    ASSERT_TRUE(document.LoadFromFile(utf16.c_str(), XmlEncoding::Utf16));
    EXPECT_EQ(L"c", Value(document.GetRoot(), L"b"));
}

TEST(XmlDocumentFile, RefusesMissingEmptyAndOversizedFiles)
{
    TempFolder folder;
    CXmlDocument document(L"<a/>");
    EXPECT_FALSE(document.LoadFromFile((folder.Write(L"x", "") + L".missing").c_str()));
    EXPECT_STREQ(L"Error opening file", document.GetErrorMessage());
    EXPECT_STREQ(L"", document.GetErrorContext());

    ASSERT_TRUE(document.Load(L"<a/>"));
    EXPECT_FALSE(document.LoadFromFile(folder.Write(L"empty.xml", "").c_str()));
    EXPECT_STREQ(L"File is empty", document.GetErrorMessage());
    EXPECT_FALSE(document.GetRoot().IsValid());

    std::string largest = "<a>";
    largest += std::string(CXmlDocument::kMaxFileBytes - largest.size() - 4, ' ') + "</a>";
    ASSERT_EQ(4194304u, largest.size());
    ASSERT_TRUE(document.LoadFromFile(folder.Write(L"largest.xml", largest).c_str())) << document.GetErrorMessage();
    EXPECT_STREQ(L"a", document.GetRoot().GetName());
    EXPECT_FALSE(document.LoadFromFile(folder.Write(L"large.xml", largest + " ").c_str()));
    EXPECT_STREQ(L"File too large", document.GetErrorMessage());
    EXPECT_FALSE(document.GetRoot().IsValid());
}

TEST(XmlDocumentFile, SkinBytesFollowTheFileLimits)
{
    CXmlDocument document;
    EXPECT_FALSE(document.LoadFromSkinBytes("", 0));
    EXPECT_STREQ(L"File is empty", document.GetErrorMessage());
    const std::string large(CXmlDocument::kMaxFileBytes + 1, ' ');
    EXPECT_FALSE(document.LoadFromSkinBytes(large.data(), large.size()));
    EXPECT_STREQ(L"File too large", document.GetErrorMessage());
    const std::string skin = ToUtf8(L"<Window title=\"安装\"/>");
    ASSERT_TRUE(document.LoadFromSkinBytes(skin.data(), skin.size()));
    EXPECT_EQ(L"安装", Value(document.GetRoot(), L"title"));
    EXPECT_FALSE(document.FailLoad(L"Could not find ziped file"));
    EXPECT_STREQ(L"Could not find ziped file", document.GetErrorMessage());
    EXPECT_FALSE(document.GetRoot().IsValid());
}

namespace {

uint32_t Crc32(const std::string& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A zip of one stored (uncompressed) entry; a wrong checksum makes the entry fail to unpack.
std::string StoredZip(const std::string& name, const std::string& data, bool damaged = false)
{
    const uint32_t crc = Crc32(data) ^ (damaged ? 1u : 0u);
    const auto size = static_cast<uint32_t>(data.size());
    std::string zip;
    PutLe(zip, 0x04034b50, 4);
    for (uint32_t field : {20u, 0u, 0u, 0u, 0u}) PutLe(zip, field, 2);
    PutLe(zip, crc, 4);
    PutLe(zip, size, 4);
    PutLe(zip, size, 4);
    PutLe(zip, static_cast<uint32_t>(name.size()), 2);
    PutLe(zip, 0, 2);
    zip += name + data;
    const auto directory = static_cast<uint32_t>(zip.size());
    PutLe(zip, 0x02014b50, 4);
    for (uint32_t field : {20u, 20u, 0u, 0u, 0u, 0u}) PutLe(zip, field, 2);
    PutLe(zip, crc, 4);
    PutLe(zip, size, 4);
    PutLe(zip, size, 4);
    PutLe(zip, static_cast<uint32_t>(name.size()), 2);
    for (int i = 0; i < 4; ++i) PutLe(zip, 0, 2);
    PutLe(zip, 0, 4);
    PutLe(zip, 0, 4);
    zip += name;
    const auto directorySize = static_cast<uint32_t>(zip.size()) - directory;
    PutLe(zip, 0x06054b50, 4);
    for (uint32_t field : {0u, 0u, 1u, 1u}) PutLe(zip, field, 2);
    PutLe(zip, directorySize, 4);
    PutLe(zip, directory, 4);
    PutLe(zip, 0, 2);
    return zip;
}

class XmlDocumentZip : public ::testing::Test {
protected:
    void TearDown() override { CWindowUIManager::Term(); }
    bool UseZip(const std::string& zip) { return CWindowUIManager::SetResourceZipMemory(zip.data(), zip.size()); }
};

TEST_F(XmlDocumentZip, SkinFilesComeFromTheSkinZipOnly)
{
    Testing::SkinZipScope skin;
    ASSERT_TRUE(skin.loaded);
    CXmlDocument document;
    ASSERT_TRUE(document.LoadFromFile(L"MAIN.xml")) << document.GetErrorMessage();
    EXPECT_STREQ(L"Window", document.GetRoot().GetName());

    EXPECT_FALSE(document.LoadFromFile(L"missing.xml"));
    EXPECT_STREQ(L"Could not find ziped file", document.GetErrorMessage());
    EXPECT_STREQ(L"", document.GetErrorContext());
    EXPECT_FALSE(document.GetRoot().IsValid());
    // A plain file of that name is not looked at while a skin zip is set.
    const std::wstring plain = SampleWindowPath().wstring();
    ASSERT_TRUE(std::filesystem::exists(SampleWindowPath()));
    EXPECT_FALSE(document.LoadFromFile(plain.c_str()));
    EXPECT_STREQ(L"Could not find ziped file", document.GetErrorMessage());

    EXPECT_FALSE(document.LoadFromFile(L"empty.txt"));
    EXPECT_STREQ(L"File is empty", document.GetErrorMessage());
}

TEST_F(XmlDocumentZip, EntryNamesWithBackslashesAreFoundUnderSlashes)
{
    ASSERT_TRUE(UseZip(StoredZip("skins/dark/main.xml", "<Window title=\"x\"/>")));
    CXmlDocument document;
    ASSERT_TRUE(document.LoadFromFile(L"skins\\dark\\main.xml")) << document.GetErrorMessage();
    EXPECT_EQ(L"x", Value(document.GetRoot(), L"title"));
}

TEST_F(XmlDocumentZip, DamagedAndOversizedEntriesFailWithTheirReason)
{
    CXmlDocument document;
    ASSERT_TRUE(UseZip(StoredZip("main.xml", "<Window/>", true)));
    EXPECT_FALSE(document.LoadFromFile(L"main.xml"));
    EXPECT_STREQ(L"Could not unzip file", document.GetErrorMessage());

    ASSERT_TRUE(UseZip(StoredZip("main.xml", "<a>" + std::string(CXmlDocument::kMaxFileBytes, ' ') + "</a>")));
    EXPECT_FALSE(document.LoadFromFile(L"main.xml"));
    EXPECT_STREQ(L"File too large", document.GetErrorMessage());
}

}  // namespace
