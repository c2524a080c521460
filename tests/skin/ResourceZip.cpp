#include "ResourceZip.h"

#include <minizip/unzip.h>
#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kSkinResourceId = 102;
constexpr wchar_t kSkinResourceType[] = L"ZIPRES";

ResourceZip::View* ViewOf(voidpf stream) { return static_cast<ResourceZip::View*>(stream); }

voidpf ZCALLBACK OpenView(voidpf opaque, const void*, int) { return opaque; }

uLong ZCALLBACK ReadView(voidpf, voidpf stream, void* buffer, uLong size)
{
    ResourceZip::View* view = ViewOf(stream);
    const size_t count = std::min<size_t>(size, view->size - view->position);
    std::memcpy(buffer, view->data + view->position, count);
    view->position += count;
    return static_cast<uLong>(count);
}

uLong ZCALLBACK RefuseWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellView(voidpf, voidpf stream) { return ViewOf(stream)->position; }

long ZCALLBACK SeekView(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    ResourceZip::View* view = ViewOf(stream);
    const ZPOS64_T from = origin == ZLIB_FILEFUNC_SEEK_SET ? 0
                          : origin == ZLIB_FILEFUNC_SEEK_CUR ? view->position
                                                             : view->size;
    if (from + offset > view->size) return -1;
    view->position = static_cast<size_t>(from + offset);
    return 0;
}

int ZCALLBACK NoStatus(voidpf, voidpf) { return 0; }

}  // namespace

ResourceZip::ResourceZip()
{
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    m_view.data = loaded ? static_cast<const unsigned char*>(::LockResource(loaded)) : nullptr;
    m_view.size = m_view.data ? ::SizeofResource(module, resource) : 0;
    if (!m_view.size) return;
    // open, read, write, tell, seek, close, error, opaque
    zlib_filefunc64_def io = {&OpenView, &ReadView, &RefuseWrite, &TellView, &SeekView, &NoStatus, &NoStatus, &m_view};
    m_zip = unzOpen2_64(&m_view, &io);
}

ResourceZip::~ResourceZip()
{
    if (m_zip) unzClose(m_zip);
}

std::vector<std::string> ResourceZip::EntryNames() const
{
    std::vector<std::string> names;
    if (!m_zip) return names;
    for (int status = unzGoToFirstFile(m_zip); status == UNZ_OK; status = unzGoToNextFile(m_zip)) {
        char name[512] = {};
        if (unzGetCurrentFileInfo64(m_zip, nullptr, name, sizeof(name), nullptr, 0, nullptr, 0) == UNZ_OK)
            names.emplace_back(name);
    }
    return names;
}

bool ResourceZip::Read(const std::string& name, std::vector<unsigned char>& bytes) const
{
    bytes.clear();
    const int caseSensitive = 1;
    if (!m_zip || unzLocateFile(m_zip, name.c_str(), caseSensitive) != UNZ_OK) return false;
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
    if (unzOpenCurrentFile(m_zip) != UNZ_OK) return false;
    bytes.resize(static_cast<size_t>(info.uncompressed_size));
    const int read = bytes.empty() ? 0
                                   : unzReadCurrentFile(m_zip, bytes.data(), static_cast<unsigned>(bytes.size()));
    const bool complete = unzCloseCurrentFile(m_zip) == UNZ_OK && read == static_cast<int>(bytes.size());
    if (!complete) bytes.clear();
    return complete;
}
