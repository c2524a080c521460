#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace SkinUI::Testing {

// A file in the test's own temporary folder, removed with the object.
class TempImageFile {
public:
    TempImageFile(const char* name, const std::vector<unsigned char>& bytes)
    {
        wchar_t folder[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, folder);
        m_path = std::filesystem::path(folder) / ("skinui-inputs-" + std::to_string(::GetCurrentProcessId()) + "-" + name);
        std::ofstream(m_path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                       static_cast<std::streamsize>(bytes.size()));
    }
    ~TempImageFile()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    TempImageFile(const TempImageFile&) = delete;
    TempImageFile& operator=(const TempImageFile&) = delete;
    std::wstring Path() const { return m_path.wstring(); }

private:
    std::filesystem::path m_path;
};

inline void PutLe(std::vector<unsigned char>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// An uncompressed 24-bit BMP of one colour (0xRRGGBB) above and another in its lower half.
inline std::vector<unsigned char> MakeBmp(int width, int height, DWORD rgb, DWORD lowerHalfRgb)
{
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> out = {'B', 'M'};
    PutLe(out, static_cast<uint32_t>(54 + stride * height), 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, static_cast<uint32_t>(width), 4);
    PutLe(out, static_cast<uint32_t>(height), 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    for (int i = 0; i < 6; ++i) PutLe(out, 0, 4);
    for (int y = 0; y < height; ++y) {
        // Stored bottom row first.
        const DWORD row = height - 1 - y >= height / 2 ? lowerHalfRgb : rgb;
        for (int x = 0; x < width; ++x) {
            out.push_back(static_cast<unsigned char>(row));
            out.push_back(static_cast<unsigned char>(row >> 8));
            out.push_back(static_cast<unsigned char>(row >> 16));
        }
        for (int pad = width * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

// An uncompressed 24-bit BMP of one colour (0xRRGGBB).
inline std::vector<unsigned char> MakeBmp(int width, int height, DWORD rgb) { return MakeBmp(width, height, rgb, rgb); }

// An animated GIF whose frames each fill the picture with one palette colour (0xRRGGBB, at most four
// colours) and stay up for their delay in hundredths of a second. LZW data is written without
// compression: a clear code before every second pixel keeps every code 3 bits wide.
struct GifFrame {
    int colorIndex;
    int delay;
};

inline std::vector<unsigned char> MakeGif(int width, int height, const std::vector<DWORD>& palette,
                                          const std::vector<GifFrame>& frames, bool withDelays = true)
{
    std::vector<unsigned char> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutLe(out, static_cast<uint32_t>(width), 2);
    PutLe(out, static_cast<uint32_t>(height), 2);
    out.push_back(0xF1);  // global colour table of 4 entries
    out.push_back(0);
    out.push_back(0);
    for (int i = 0; i < 4; ++i) {
        const DWORD rgb = i < static_cast<int>(palette.size()) ? palette[static_cast<size_t>(i)] : 0;
        out.push_back(static_cast<unsigned char>(rgb >> 16));
        out.push_back(static_cast<unsigned char>(rgb >> 8));
        out.push_back(static_cast<unsigned char>(rgb));
    }
    const unsigned char loop[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                  0x03, 0x01, 0x00, 0x00, 0x00};
    out.insert(out.end(), std::begin(loop), std::end(loop));
    for (const GifFrame& frame : frames) {
        if (withDelays) {
            out.insert(out.end(), {0x21, 0xF9, 0x04, 0x00});
            PutLe(out, static_cast<uint32_t>(frame.delay), 2);
            out.insert(out.end(), {0x00, 0x00});
        }
        out.push_back(0x2C);
        PutLe(out, 0, 2);
        PutLe(out, 0, 2);
        PutLe(out, static_cast<uint32_t>(width), 2);
        PutLe(out, static_cast<uint32_t>(height), 2);
        out.push_back(0);
        out.push_back(2);  // minimum code size
        std::vector<unsigned char> data;
        uint32_t bits = 0;
        int count = 0;
        auto emit = [&](uint32_t code) {
            bits |= code << count;
            count += 3;
            while (count >= 8) {
                data.push_back(static_cast<unsigned char>(bits));
                bits >>= 8;
                count -= 8;
            }
        };
        const int pixels = width * height;
        for (int i = 0; i < pixels; ++i) {
            if (i % 2 == 0) emit(4);
            emit(static_cast<uint32_t>(frame.colorIndex));
        }
        emit(5);
        if (count > 0) data.push_back(static_cast<unsigned char>(bits));
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t block = std::min<size_t>(255, data.size() - at);
            out.push_back(static_cast<unsigned char>(block));
            out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + block));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

}  // namespace SkinUI::Testing
