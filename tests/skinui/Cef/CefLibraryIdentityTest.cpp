// Only a library that carries this program's interface record is taken for the engine; the file is
// judged without loading it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "Internal/Cef/Engine/CefLibraryIdentity.h"

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::wstring WriteFile(const std::wstring& name, const std::string& content) {
    const std::wstring path = ProgramFolder() + name;
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << content;
    return path;
}

// The stand-in read from its file, with where its export table and the entry of the interface record lie.
struct StandInLayout {
    std::string image = ReadAll(ProgramFolder() + L"libcef.dll");
    size_t nt = 0;
    size_t optional = 0;
    const IMAGE_NT_HEADERS32* headers = nullptr;
    const IMAGE_SECTION_HEADER* sections = nullptr;
    DWORD exportsRva = 0;
    DWORD exportsSize = 0;
    size_t exports = 0;      // the export directory's file offset
    size_t recordEntry = 0;  // the file offset of the record's entry in the export address table

    StandInLayout() {
        if (image.size() <= 0x40) return;
        nt = static_cast<size_t>(*reinterpret_cast<const LONG*>(&image[0x3C]));
        headers = reinterpret_cast<const IMAGE_NT_HEADERS32*>(&image[nt]);
        optional = nt + offsetof(IMAGE_NT_HEADERS32, OptionalHeader);
        exportsRva = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
        exportsSize = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].Size;
        sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
            &image[optional + headers->FileHeader.SizeOfOptionalHeader]);
        exports = FileOffsetOf(exportsRva);
        if (exports == 0) return;
        const size_t names = FileOffsetOf(Directory()->AddressOfNames);
        const size_t ordinals = FileOffsetOf(Directory()->AddressOfNameOrdinals);
        for (DWORD i = 0; i < Directory()->NumberOfNames; ++i) {
            const DWORD nameRva = *reinterpret_cast<const DWORD*>(&image[names + i * sizeof(DWORD)]);
            if (std::strcmp(&image[FileOffsetOf(nameRva)], CEF_INTERFACE_IDENTITY_EXPORT) != 0) continue;
            const WORD ordinal = *reinterpret_cast<const WORD*>(&image[ordinals + i * sizeof(WORD)]);
            recordEntry = FileOffsetOf(Directory()->AddressOfFunctions) + ordinal * sizeof(DWORD);
        }
    }
    bool IsWhole() const { return exports != 0 && recordEntry != 0; }
    const IMAGE_EXPORT_DIRECTORY* Directory() const {
        return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(&image[exports]);
    }
    DWORD RecordRva() const { return *reinterpret_cast<const DWORD*>(&image[recordEntry]); }
    // The section whose stored bytes hold an address, and where the address lies in the file.
    const IMAGE_SECTION_HEADER* SectionOf(DWORD rva) const {
        for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i)
            if (rva >= sections[i].VirtualAddress && rva - sections[i].VirtualAddress < sections[i].SizeOfRawData)
                return &sections[i];
        return nullptr;
    }
    size_t FileOffsetOf(DWORD rva) const {
        const IMAGE_SECTION_HEADER* section = SectionOf(rva);
        return section ? static_cast<size_t>(section->PointerToRawData + (rva - section->VirtualAddress)) : size_t{0};
    }
};

TEST(EngineLibraryIdentity, TheStandInBuiltForThisInterfaceIsAccepted) {
    EXPECT_EQ(CheckEngineLibraryFile(ProgramFolder() + L"libcef.dll"), CefLibraryVerdict::Accepted);
    EXPECT_FALSE(ModuleCarriesInterfaceIdentity(::GetModuleHandleW(nullptr))) << "a loaded module without the record";
}

TEST(EngineLibraryIdentity, LibrariesWithTheRightNamesButAnotherInterfaceAreRefused) {
    EXPECT_EQ(CheckEngineLibraryFile(ProgramFolder() + L"foreign-engine\\libcef.dll"), CefLibraryVerdict::NoIdentity);
    EXPECT_EQ(CheckEngineLibraryFile(ProgramFolder() + L"next-version-engine\\libcef.dll"),
              CefLibraryVerdict::OtherInterface);
    EXPECT_EQ(CheckEngineLibraryFile(ProgramFolder() + L"no-create-engine\\libcef.dll"),
              CefLibraryVerdict::NoCreateBrowser)
        << "built for this interface, but it could never show a page";
    EXPECT_EQ(::GetModuleHandleW(L"foreign-engine\\libcef.dll"), nullptr);
}

TEST(EngineLibraryIdentity, ACheckedLibraryIsHeldSharedForReadingUntilItIsLoaded) {
    const std::wstring path = WriteFile(L"held-library.dll", ReadAll(ProgramFolder() + L"libcef.dll"));
    const std::wstring moved = path + L".moved";
    {
        CheckedEngineLibrary held(path);
        ASSERT_EQ(held.Verdict(), CefLibraryVerdict::Accepted);
        EXPECT_TRUE(held.IsHeld());
        HANDLE reader = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "others may still read it";
        if (reader != INVALID_HANDLE_VALUE) ::CloseHandle(reader);
        const DWORD anyShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE, anyShare, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "nobody may write it";
        if (writer != INVALID_HANDLE_VALUE) ::CloseHandle(writer);
        EXPECT_FALSE(::MoveFileExW(path.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING)) << "nor swap it away";
        EXPECT_FALSE(::DeleteFileW(path.c_str()));
    }
    EXPECT_TRUE(::MoveFileExW(path.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING)) << "let go with its holder";
    ::DeleteFileW(moved.c_str());
}

TEST(EngineLibraryIdentity, LoadingGivesTheSystemsErrorAndLetsGoOfTheFile) {
    CheckedEngineLibrary unloadable(ProgramFolder() + L"unloadable-engine\\libcef.dll");
    ASSERT_EQ(unloadable.Verdict(), CefLibraryVerdict::Accepted);
    DWORD error = ERROR_SUCCESS;
    EXPECT_EQ(unloadable.Load(error), nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_FALSE(unloadable.IsHeld());

    CheckedEngineLibrary foreign(ProgramFolder() + L"foreign-engine\\libcef.dll");
    EXPECT_EQ(foreign.Load(error), nullptr) << "a refused file is never loaded";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
}

// An engine built with its record in a later section than the export table has the record's address above
// the table: it is the record, not a forward, and the library is taken.
TEST(EngineLibraryIdentity, ARecordLyingAboveTheExportTableIsFound) {
    const StandInLayout layout;
    ASSERT_TRUE(layout.IsWhole());
    // Moved to just past the table, into the export section's stored bytes the table leaves free.
    const DWORD above = layout.exportsRva + layout.exportsSize;
    const IMAGE_SECTION_HEADER* section = layout.SectionOf(above);
    ASSERT_NE(section, nullptr);
    ASSERT_GE(section->VirtualAddress + section->SizeOfRawData - above, sizeof(CefInterfaceIdentity));
    std::string image = layout.image;
    std::memcpy(&image[layout.FileOffsetOf(above)], &layout.image[layout.FileOffsetOf(layout.RecordRva())],
                sizeof(CefInterfaceIdentity));
    std::memcpy(&image[layout.recordEntry], &above, sizeof(above));
    EXPECT_EQ(CheckEngineLibraryFile(WriteFile(L"record-above-exports.dll", image)), CefLibraryVerdict::Accepted);
}

TEST(EngineLibraryIdentity, AnythingElseOfThatNameIsRefused) {
    EXPECT_EQ(CheckEngineLibraryFile(ProgramFolder() + L"no-such-folder\\libcef.dll"), CefLibraryVerdict::Missing);
    EXPECT_EQ(CheckEngineLibraryFile(WriteFile(L"text-named-like-a-library.dll", "not a library at all")),
              CefLibraryVerdict::NotALibrary);
    EXPECT_EQ(CheckEngineLibraryFile(WriteFile(L"empty-library.dll", "")), CefLibraryVerdict::NotALibrary);

    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(CheckEngineLibraryFile(self), CefLibraryVerdict::NotALibrary) << "a program is not a library";

    // The stand-in with one mark of a library for this processor spoilt, with an export table that claims
    // more names than any engine has (it must be refused without trying to hold them all), or with a table
    // or the record starting in a section's stored bytes but running past them.
    const StandInLayout layout;
    ASSERT_TRUE(layout.IsWhole());
    const std::string& standInImage = layout.image;
    const size_t nt = layout.nt;
    const size_t optional = layout.optional;
    const DWORD exportsRva = layout.exportsRva;
    const auto storedSizeFieldOf = [&](const IMAGE_SECTION_HEADER* section) {
        return static_cast<size_t>(reinterpret_cast<const char*>(&section->SizeOfRawData) - standInImage.data());
    };
    const size_t exports = layout.exports;
    const auto* directory = layout.Directory();
    const size_t recordEntry = layout.recordEntry;
    // The record's section cut to end one byte before the record does: the rest of the record still lies in
    // the file, but the system would not map it.
    const DWORD recordRva = layout.RecordRva();
    const IMAGE_SECTION_HEADER* recordSection = layout.SectionOf(recordRva);
    ASSERT_NE(recordSection, nullptr);
    const DWORD storedShortOfRecordEnd =
        recordRva - recordSection->VirtualAddress + static_cast<DWORD>(sizeof(CefInterfaceIdentity)) - 1;
    // One name more than the export section stores from the name table on, while the ordinals still fit.
    const IMAGE_SECTION_HEADER* exportSection = layout.SectionOf(directory->AddressOfNames);
    ASSERT_NE(exportSection, nullptr);
    const DWORD sectionEnd = exportSection->VirtualAddress + exportSection->SizeOfRawData;
    const DWORD namesPastSectionEnd = (sectionEnd - directory->AddressOfNames) / sizeof(DWORD) + 1;
    ASSERT_LE(directory->AddressOfNameOrdinals + namesPastSectionEnd * sizeof(WORD), sectionEnd);
    // Where an exported name's last letter lies in the file.
    const auto lastLetterOf = [&](const std::string& name) {
        const size_t at = standInImage.find(name + '\0');
        EXPECT_NE(at, std::string::npos) << name;
        return at + name.size() - 1;
    };
    const size_t recordNameEnd = lastLetterOf(CEF_INTERFACE_IDENTITY_EXPORT);
    const size_t createNameEnd = lastLetterOf(CEF_CREATE_BROWSER_EXPORT);
    const struct {
        const char* spoilt;
        size_t offset;
        DWORD value;
        size_t size;
        CefLibraryVerdict verdict;
    } spoilings[] = {
        {"no MZ mark", 0, 0x5858, 2, CefLibraryVerdict::NotALibrary},
        {"no PE signature", nt, 0x5858, 2, CefLibraryVerdict::NotALibrary},
        {"another processor", nt + offsetof(IMAGE_NT_HEADERS32, FileHeader.Machine), IMAGE_FILE_MACHINE_AMD64, 2,
         CefLibraryVerdict::NotALibrary},
        {"not a DLL", nt + offsetof(IMAGE_NT_HEADERS32, FileHeader.Characteristics), IMAGE_FILE_EXECUTABLE_IMAGE, 2,
         CefLibraryVerdict::NotALibrary},
        {"a 64-bit optional header", optional + offsetof(IMAGE_OPTIONAL_HEADER32, Magic),
         IMAGE_NT_OPTIONAL_HDR64_MAGIC, 2, CefLibraryVerdict::NotALibrary},
        {"more sections than the system maps", nt + offsetof(IMAGE_NT_HEADERS32, FileHeader.NumberOfSections), 97, 2,
         CefLibraryVerdict::NotALibrary},
        {"no data directories", optional + offsetof(IMAGE_OPTIONAL_HEADER32, NumberOfRvaAndSizes), 0, 4,
         CefLibraryVerdict::NotALibrary},
        {"two thousand million names", exports + offsetof(IMAGE_EXPORT_DIRECTORY, NumberOfNames), 0x7FFFFFFF, 4,
         CefLibraryVerdict::NoIdentity},
        {"the record forwarded to the export table's start", recordEntry, exportsRva, 4, CefLibraryVerdict::NoIdentity},
        {"the record running past its section's stored bytes", storedSizeFieldOf(recordSection),
         storedShortOfRecordEnd, 4, CefLibraryVerdict::NoIdentity},
        {"the name table running past its section's stored bytes",
         exports + offsetof(IMAGE_EXPORT_DIRECTORY, NumberOfNames), namesPastSectionEnd, 4,
         CefLibraryVerdict::NoIdentity},
        {"the record's name one letter longer", recordNameEnd + 1, 'X', 1, CefLibraryVerdict::NoIdentity},
        {"the record's name one letter shorter", recordNameEnd, 0, 1, CefLibraryVerdict::NoIdentity},
        {"the browser creation's name one letter longer", createNameEnd + 1, 'X', 1,
         CefLibraryVerdict::NoCreateBrowser},
        {"the browser creation's name one letter shorter", createNameEnd, 0, 1, CefLibraryVerdict::NoCreateBrowser},
    };
    for (const auto& spoiling : spoilings) {
        std::string image = standInImage;
        ASSERT_LT(spoiling.offset + spoiling.size, image.size()) << spoiling.spoilt;
        std::memcpy(&image[spoiling.offset], &spoiling.value, spoiling.size);
        EXPECT_EQ(CheckEngineLibraryFile(WriteFile(L"spoilt-library.dll", image)), spoiling.verdict) << spoiling.spoilt;
    }

    // Cut short at every length, the stand-in is never taken and never read past its end.
    const std::string standIn = ReadAll(ProgramFolder() + L"libcef.dll");
    ASSERT_GT(standIn.size(), 4096u);
    for (size_t length = 64; length < standIn.size(); length = length * 3 / 2) {
        const std::wstring path = WriteFile(L"truncated-library.dll", standIn.substr(0, length));
        EXPECT_NE(CheckEngineLibraryFile(path), CefLibraryVerdict::Accepted) << length;
    }
    // Cut just before the record name's terminator: what the file lacks is not taken for zeros.
    EXPECT_EQ(CheckEngineLibraryFile(WriteFile(L"truncated-library.dll", standIn.substr(0, recordNameEnd + 1))),
              CefLibraryVerdict::NoIdentity);
}

}  // namespace
