// Damaged and random documents through every load path: each must load or fail cleanly, and a
// loaded tree must be walkable to its end.
#include "Core/XmlDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

using namespace SkinUI;

namespace {

std::string SampleSkin()
{
    std::ifstream in(std::filesystem::u8path(TOLVAN_SOURCE_DIR "/tests/skinui/data/xml/sample_window.xml"),
                     std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t WalkLevel(const CXmlNode& first, int depth)
{
    size_t nodes = 0;
    for (CXmlNode node = first; node.IsValid(); node = node.GetSibling()) {
        ++nodes;
        EXPECT_LE(depth, kMaxXmlNesting + 1);
        EXPECT_NE(nullptr, node.GetName());
        const int count = node.GetAttributeCount();
        EXPECT_LE(count, CXmlNode::kMaxAttributes);
        size_t characters = 0;
        for (int i = 0; i < count; ++i)
            characters += std::wcslen(node.GetAttributeName(i)) + std::wcslen(node.GetAttributeValue(i));
        wchar_t value[8];
        if (count) {
            EXPECT_TRUE(node.GetAttributeValue(node.GetAttributeName(0), value, 8));
        }
        EXPECT_LT(characters, 10u * 1024 * 1024);
        nodes += WalkLevel(node.GetChild(), depth + 1);
    }
    return nodes;
}

// Loads the bytes in the given encoding and checks the outcome is consistent.
void LoadAndWalk(const std::string& bytes, XmlEncoding encoding)
{
    CXmlDocument document;
    if (document.LoadFromMem(bytes.data(), bytes.size(), encoding)) {
        EXPECT_STREQ(L"", document.GetErrorMessage());
        EXPECT_LE(WalkLevel(document.GetRoot(), 0), bytes.size());
    } else {
        EXPECT_FALSE(document.GetRoot().IsValid());
    }
}

std::string ToUtf16LittleEndian(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char ch : ascii) {
        bytes += ch;
        bytes += '\0';
    }
    return bytes;
}

}  // namespace

TEST(XmlRobustness, EveryTruncationOfASkinLoadsOrFailsCleanly)
{
    const std::string skin = SampleSkin();
    ASSERT_GT(skin.size(), 1000u);
    for (size_t length = 0; length <= skin.size(); ++length) {
        LoadAndWalk(skin.substr(0, length), XmlEncoding::Utf8);
        LoadAndWalk(skin.substr(0, length), XmlEncoding::Ansi);
    }
    const std::string wide = ToUtf16LittleEndian(skin.substr(3));
    for (size_t length = 0; length <= wide.size(); length += 3) LoadAndWalk(wide.substr(0, length), XmlEncoding::Utf16);
}

TEST(XmlRobustness, MutatedSkinsLoadOrFailCleanly)
{
    const std::string skin = SampleSkin();
    static const char kAlphabet[] = "<>/=\"'&;!?- \t\nab:_#x\0\xEF\xBB\xBF\xFF\xFE\xE5";
    const std::string alphabet(kAlphabet, sizeof(kAlphabet) - 1);
    std::mt19937 random(20261207);
    const XmlEncoding encodings[] = {XmlEncoding::Utf8, XmlEncoding::Utf16, XmlEncoding::Ansi};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = skin;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int edit = 0; edit < edits && !bytes.empty(); ++edit) {
            const size_t at = random() % bytes.size();
            const char ch = random() % 4 ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
            switch (random() % 3) {
            case 0: bytes[at] = ch; break;
            case 1: bytes.insert(at, 1, ch); break;
            default: bytes.erase(at, 1 + random() % 16); break;
            }
        }
        LoadAndWalk(bytes, encodings[round % 3]);
    }
}

TEST(XmlRobustness, TokenSoupLoadsOrFailsCleanly)
{
    const char* const tokens[] = {"<",     ">",    "</",    "/>",    "<!--", "-->", "<?",  "?>",  "=",
                                  "\"",    "'",    "&amp;", "&lt;",  "&",    ";",   "a",   "Window",
                                  " ",     "\n",   "<a>",   "</a>",  "<a/>", "x=\"1\"", "&quot", "-"};
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) text += tokens[random() % std::size(tokens)];
        LoadAndWalk(text, XmlEncoding::Utf8);
    }
}
