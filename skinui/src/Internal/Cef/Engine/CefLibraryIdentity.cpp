#include "CefLibraryIdentity.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

// A library built for another processor or word size could never be ours.
const WORD kOwnMachine =
#if defined(_M_IX86) || defined(__i386__)
    IMAGE_FILE_MACHINE_I386;
#elif defined(_M_X64) || defined(__x86_64__)
    IMAGE_FILE_MACHINE_AMD64;
#else
    IMAGE_FILE_MACHINE_UNKNOWN;
#endif

// A real engine exports a few thousand names; far more means a damaged or hostile table.
const DWORD kMaxExportNames = 1 << 16;

// The system's loader maps no library with more sections than this.
const WORD kMaxSections = 96;

// Reads at offsets through a handle someone else owns.
class FileReader {
public:
    explicit FileReader(HANDLE file) : m_file(file) {}

    bool ReadAt(DWORD offset, void* buffer, DWORD size) const {
        OVERLAPPED at = {};
        at.Offset = offset;
        DWORD read = 0;
        return ::ReadFile(m_file, buffer, size, &read, &at) && read == size;
    }

    template <class T>
    bool ReadAt(DWORD offset, T& value) const {
        return ReadAt(offset, &value, sizeof(value));
    }

private:
    HANDLE m_file;
};

// The file layout of a library: where each section's addresses lie in the file.
class ImageLayout {
public:
    bool Load(const FileReader& file) {
        IMAGE_DOS_HEADER dos = {};
        if (!file.ReadAt(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0) return false;
        IMAGE_NT_HEADERS nt = {};
        const DWORD ntOffset = static_cast<DWORD>(dos.e_lfanew);
        if (!file.ReadAt(ntOffset, nt) || nt.Signature != IMAGE_NT_SIGNATURE) return false;
        if (nt.FileHeader.Machine != kOwnMachine || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) return false;
        if (!(nt.FileHeader.Characteristics & IMAGE_FILE_DLL)) return false;
        if (nt.OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT) return false;
        if (nt.FileHeader.NumberOfSections > kMaxSections) return false;
        m_exports = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        m_sections.resize(nt.FileHeader.NumberOfSections);
        const DWORD sectionsOffset = ntOffset + offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
                                     nt.FileHeader.SizeOfOptionalHeader;
        return m_sections.empty() ||
               file.ReadAt(sectionsOffset, m_sections.data(),
                           static_cast<DWORD>(m_sections.size() * sizeof(IMAGE_SECTION_HEADER)));
    }

    const IMAGE_DATA_DIRECTORY& Exports() const { return m_exports; }

    // The file offset of |size| bytes at a relative virtual address; false when they are not all
    // stored in one section of the file.
    bool FileOffset(DWORD rva, DWORD size, DWORD& offset) const {
        DWORD stored = 0;
        return StoredFrom(rva, offset, stored) && size <= stored;
    }

    // Where an address lies in the file and how many bytes of its section the file holds from there.
    bool StoredFrom(DWORD rva, DWORD& offset, DWORD& stored) const {
        for (const IMAGE_SECTION_HEADER& section : m_sections) {
            if (rva < section.VirtualAddress || rva - section.VirtualAddress >= section.SizeOfRawData) continue;
            offset = section.PointerToRawData + (rva - section.VirtualAddress);
            stored = section.SizeOfRawData - (rva - section.VirtualAddress);
            return true;
        }
        return false;
    }

private:
    IMAGE_DATA_DIRECTORY m_exports = {};
    std::vector<IMAGE_SECTION_HEADER> m_sections;
};

// Orders the name at |rva| against |expected| as strcmp would. False when the name is not stored in
// the file as far as it has to be read.
bool CompareExportName(const FileReader& file, const ImageLayout& image, DWORD rva, const char* expected,
                       int& order) {
    const DWORD size = static_cast<DWORD>(std::strlen(expected) + 1);
    DWORD offset = 0;
    DWORD stored = 0;
    if (!image.StoredFrom(rva, offset, stored)) return false;
    std::vector<char> name(std::min(size, stored));
    if (!file.ReadAt(offset, name.data(), static_cast<DWORD>(name.size()))) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto have = static_cast<unsigned char>(name[i]);
        const auto want = static_cast<unsigned char>(expected[i]);
        if (have != want) {
            order = have < want ? -1 : 1;
            return true;
        }
        if (have == 0) {
            order = 0;
            return true;
        }
    }
    return false;
}

// The index of |expected| in the export name table, or -1. The table is sorted, as the system's loader
// relies on, so a name costs a few reads however many names or sections the library claims.
long FindExportName(const FileReader& file, const ImageLayout& image, const std::vector<DWORD>& nameRvas,
                    const char* expected) {
    size_t low = 0;
    size_t high = nameRvas.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        int order = 0;
        if (!CompareExportName(file, image, nameRvas[middle], expected, order)) return -1;
        if (order == 0) return static_cast<long>(middle);
        if (order < 0) low = middle + 1;
        else high = middle;
    }
    return -1;
}

// Finds the record's export and reads it, and tells whether the browser creation is exported too.
// False when the library exports no record.
bool FindIdentityRecord(const FileReader& file, const ImageLayout& image, CefInterfaceIdentity& record,
                        bool& createsBrowsers) {
    createsBrowsers = false;
    const IMAGE_DATA_DIRECTORY& directory = image.Exports();
    IMAGE_EXPORT_DIRECTORY exports = {};
    DWORD offset = 0;
    if (directory.VirtualAddress == 0 || !image.FileOffset(directory.VirtualAddress, sizeof(exports), offset) ||
        !file.ReadAt(offset, exports))
        return false;
    const DWORD names = exports.NumberOfNames;
    if (names == 0 || names > kMaxExportNames) return false;
    std::vector<DWORD> nameRvas(names);
    std::vector<WORD> ordinals(names);
    DWORD namesOffset = 0;
    DWORD ordinalsOffset = 0;
    if (!image.FileOffset(exports.AddressOfNames, names * sizeof(DWORD), namesOffset) ||
        !image.FileOffset(exports.AddressOfNameOrdinals, names * sizeof(WORD), ordinalsOffset) ||
        !file.ReadAt(namesOffset, nameRvas.data(), names * sizeof(DWORD)) ||
        !file.ReadAt(ordinalsOffset, ordinals.data(), names * sizeof(WORD)))
        return false;
    createsBrowsers = FindExportName(file, image, nameRvas, CEF_CREATE_BROWSER_EXPORT) >= 0;
    const long recordName = FindExportName(file, image, nameRvas, CEF_INTERFACE_IDENTITY_EXPORT);
    if (recordName < 0) return false;
    const WORD ordinal = ordinals[static_cast<size_t>(recordName)];
    DWORD recordRva = 0;
    DWORD functionOffset = 0;
    if (ordinal >= exports.NumberOfFunctions ||
        !image.FileOffset(exports.AddressOfFunctions + ordinal * sizeof(DWORD), sizeof(DWORD), functionOffset) ||
        !file.ReadAt(functionOffset, recordRva))
        return false;
    // An address inside the export table is a forward to another library, not a record.
    if (recordRva >= directory.VirtualAddress && recordRva - directory.VirtualAddress < directory.Size) return false;
    DWORD recordOffset = 0;
    return image.FileOffset(recordRva, sizeof(record), recordOffset) && file.ReadAt(recordOffset, record);
}

bool IsOurIdentity(const CefInterfaceIdentity& record) {
    return std::memcmp(record.name, kCefInterfaceIdentity.name, sizeof(record.name)) == 0 &&
           record.version == kCefInterfaceIdentity.version;
}

}  // namespace

CheckedEngineLibrary::CheckedEngineLibrary(const std::wstring& path)
    : m_path(path),
      m_file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr)) {
    if (m_file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        m_verdict = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? CefLibraryVerdict::Missing
                                                                                  : CefLibraryVerdict::NotALibrary;
        return;
    }
    const FileReader file(m_file);
    ImageLayout image;
    CefInterfaceIdentity record = {};
    bool createsBrowsers = false;
    if (!image.Load(file)) m_verdict = CefLibraryVerdict::NotALibrary;
    else if (!FindIdentityRecord(file, image, record, createsBrowsers)) m_verdict = CefLibraryVerdict::NoIdentity;
    else if (!IsOurIdentity(record)) m_verdict = CefLibraryVerdict::OtherInterface;
    else m_verdict = createsBrowsers ? CefLibraryVerdict::Accepted : CefLibraryVerdict::NoCreateBrowser;
}

CheckedEngineLibrary::~CheckedEngineLibrary() { Release(); }

void CheckedEngineLibrary::Release() {
    if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}

HMODULE CheckedEngineLibrary::Load(DWORD& error) {
    error = ERROR_SUCCESS;
    if (m_verdict != CefLibraryVerdict::Accepted) return nullptr;
    HMODULE module = ::LoadLibraryExW(m_path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) error = ::GetLastError();
    // Once mapped the system guards the file itself.
    Release();
    return module;
}

CefLibraryVerdict CheckEngineLibraryFile(const std::wstring& path) { return CheckedEngineLibrary(path).Verdict(); }

bool ModuleCarriesInterfaceIdentity(HMODULE module) {
    const auto* record = reinterpret_cast<const CefInterfaceIdentity*>(
        reinterpret_cast<void*>(::GetProcAddress(module, CEF_INTERFACE_IDENTITY_EXPORT)));
    return record && IsOurIdentity(*record);
}

const wchar_t* DescribeVerdict(CefLibraryVerdict verdict) {
    switch (verdict) {
    case CefLibraryVerdict::Accepted: return L"built for this interface";
    case CefLibraryVerdict::Missing: return L"missing";
    case CefLibraryVerdict::NotALibrary: return L"not a library for this processor";
    case CefLibraryVerdict::NoIdentity: return L"no interface record: another engine or a stranger";
    case CefLibraryVerdict::OtherInterface: return L"built for another interface or version";
    case CefLibraryVerdict::NoCreateBrowser: return L"built for this interface but without its browser creation";
    }
    return L"unknown";
}
