#pragma once

#include "Core/DibSection.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <windows.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace SkinUI::Testing {

inline std::wstring SkinDataPath(const char* name)
{
    return std::filesystem::u8path(std::string(TOLVAN_SOURCE_DIR "/tests/skinui/data/skin/") + name).wstring();
}

inline std::vector<unsigned char> ReadDataFile(const char* name)
{
    std::ifstream in(std::filesystem::u8path(std::string(TOLVAN_SOURCE_DIR "/tests/skinui/data/skin/") + name),
                     std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 32-bit top-down bitmap selected into a memory DC, for drawing and reading pixels back.
class Canvas {
public:
    Canvas(int width, int height, DWORD fill = 0xFF000000) : m_width(width), m_height(height)
    {
        BYTE* bits = nullptr;
        m_bitmap = CreateDib32(nullptr, width, height, true, &bits);
        m_bits = reinterpret_cast<DWORD*>(bits);
        m_dc = ::CreateCompatibleDC(nullptr);
        m_old = ::SelectObject(m_dc, m_bitmap);
        Clear(fill);
    }
    ~Canvas()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
        ::DeleteObject(m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc; }
    void Clear(DWORD fill)
    {
        ::GdiFlush();
        for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = fill;
    }
    // 0xAARRGGBB as stored.
    DWORD At(int x, int y) const
    {
        ::GdiFlush();
        return m_bits[y * m_width + x];
    }
    DWORD Rgb(int x, int y) const { return At(x, y) & 0x00FFFFFF; }
    RECT Bounds() const { return RECT{0, 0, m_width, m_height}; }
    // The smallest rectangle holding every pixel of the colour (0xRRGGBB); all zero when there is none.
    RECT BoundsOf(DWORD rgb) const
    {
        ::GdiFlush();
        RECT found = {m_width, m_height, 0, 0};
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                if ((m_bits[y * m_width + x] & 0x00FFFFFF) != rgb) continue;
                found = RECT{std::min<LONG>(found.left, x), std::min<LONG>(found.top, y),
                             std::max<LONG>(found.right, x + 1), std::max<LONG>(found.bottom, y + 1)};
            }
        return found.right == 0 ? RECT{0, 0, 0, 0} : found;
    }

private:
    int m_width;
    int m_height;
    HBITMAP m_bitmap = nullptr;
    DWORD* m_bits = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

// The test skin zip as the process's skin source for the lifetime of the object.
class SkinZipScope {
public:
    SkinZipScope()
    {
        const std::vector<unsigned char> zip = ReadDataFile("skin.zip");
        loaded = CWindowUIManager::SetResourceZipMemory(zip.data(), zip.size());
    }
    ~SkinZipScope() { CWindowUIManager::Term(); }
    bool loaded = false;
};

}  // namespace SkinUI::Testing
