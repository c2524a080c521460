#include "Core/ZipArchive.h"

#include "Utils/ProcessUtils.h"

#include <minizip/unzip.h>
#include <minizip/iowin32.h>

#include <algorithm>
#include <cstring>

namespace SkinUI {
namespace {

using Stream = CZipArchive::MemoryStream;

voidpf ZCALLBACK OpenBuffer(voidpf opaque, const void*, int) { return opaque; }

uLong ZCALLBACK ReadBuffer(voidpf, voidpf handle, void* buf, uLong size)
{
    auto* stream = static_cast<Stream*>(handle);
    const size_t available = stream->bytes.size() - std::min(stream->position, stream->bytes.size());
    const size_t count = std::min<size_t>(size, available);
    if (count) std::memcpy(buf, stream->bytes.data() + stream->position, count);
    stream->position += count;
    return static_cast<uLong>(count);
}

uLong ZCALLBACK WriteBuffer(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellBuffer(voidpf, voidpf handle) { return static_cast<Stream*>(handle)->position; }

long ZCALLBACK SeekBuffer(voidpf, voidpf handle, ZPOS64_T offset, int origin)
{
    auto* stream = static_cast<Stream*>(handle);
    ZPOS64_T base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = stream->position;
    else if (origin == ZLIB_FILEFUNC_SEEK_END) base = stream->bytes.size();
    const ZPOS64_T target = base + offset;
    if (target > stream->bytes.size()) return -1;
    stream->position = static_cast<size_t>(target);
    return 0;
}

int ZCALLBACK CloseBuffer(voidpf, voidpf) { return 0; }
int ZCALLBACK ErrorBuffer(voidpf, voidpf) { return 0; }

std::string EntryName(const wchar_t* name)
{
    std::string entry = WideToMultiByte(name, CP_UTF8);
    std::replace(entry.begin(), entry.end(), '\\', '/');
    return entry;
}

}  // namespace

CZipArchive::~CZipArchive()
{
    if (m_handle) unzClose(m_handle);
}

std::unique_ptr<CZipArchive> CZipArchive::OpenMemory(const void* data, size_t size, const wchar_t* password)
{
    if (!data || size == 0) return nullptr;
    std::unique_ptr<CZipArchive> archive(new CZipArchive());
    archive->m_memory = std::make_unique<MemoryStream>();
    const auto* first = static_cast<const unsigned char*>(data);
    archive->m_memory->bytes.assign(first, first + size);
    zlib_filefunc64_def io = {};
    io.zopen64_file = &OpenBuffer;
    io.zread_file = &ReadBuffer;
    io.zwrite_file = &WriteBuffer;
    io.ztell64_file = &TellBuffer;
    io.zseek64_file = &SeekBuffer;
    io.zclose_file = &CloseBuffer;
    io.zerror_file = &ErrorBuffer;
    io.opaque = archive->m_memory.get();
    archive->m_handle = unzOpen2_64(archive->m_memory.get(), &io);
    if (!archive->m_handle) return nullptr;
    archive->m_password = WideToMultiByte(password, CP_ACP);
    return archive;
}

std::unique_ptr<CZipArchive> CZipArchive::OpenFile(const wchar_t* path, const wchar_t* password)
{
    if (!path || !*path) return nullptr;
    std::unique_ptr<CZipArchive> archive(new CZipArchive());
    zlib_filefunc64_def io = {};
    fill_win32_filefunc64W(&io);
    archive->m_handle = unzOpen2_64(path, &io);
    if (!archive->m_handle) return nullptr;
    archive->m_password = WideToMultiByte(password, CP_ACP);
    return archive;
}

bool CZipArchive::FindEntry(const wchar_t* name, unsigned long long& size)
{
    if (!m_handle || !name || !*name) return false;
    // 2: without regard to case.
    if (unzLocateFile(m_handle, EntryName(name).c_str(), 2) != UNZ_OK) return false;
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(m_handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
    size = info.uncompressed_size;
    return true;
}

bool CZipArchive::HasEntry(const wchar_t* name)
{
    unsigned long long size = 0;
    return FindEntry(name, size) && size > 0;
}

void CZipArchive::WarnOversizedEntry(const wchar_t* name, unsigned long long size, size_t maxBytes)
{
    DebugOutputFormat(L"SkinUI: Warning: Zip entry %ls declares %llu bytes, more than the %lu allowed.\n", name, size,
                      static_cast<unsigned long>(maxBytes));
}

bool CZipArchive::ReadEntry(const wchar_t* name, std::vector<unsigned char>& bytes, size_t maxBytes)
{
    bytes.clear();
    unsigned long long size = 0;
    if (!FindEntry(name, size) || size == 0) return false;
    if (size > maxBytes || size > 0x7FFFFFFF) {
        WarnOversizedEntry(name, size, maxBytes);
        return false;
    }
    const int opened = m_password.empty() ? unzOpenCurrentFile(m_handle)
                                          : unzOpenCurrentFilePassword(m_handle, m_password.c_str());
    if (opened != UNZ_OK) return false;
    bytes.assign(static_cast<size_t>(size), 0);
    const int read = unzReadCurrentFile(m_handle, bytes.data(), static_cast<unsigned>(size));
    // A CRC mismatch (wrong password, damaged entry) shows only when the entry is closed.
    const int closed = unzCloseCurrentFile(m_handle);
    if (read != static_cast<int>(size) || closed != UNZ_OK) {
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace SkinUI
