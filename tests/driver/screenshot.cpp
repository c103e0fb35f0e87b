// Screenshots as PNG files, their rows deflated by zlib.
#include "driver/driver.h"
#include "support/test_support.h"

#include <zlib.h>
#include <cstdint>
#include <string>
#include <vector>

namespace nldriver {

namespace {

void PutBigEndian(std::string &out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((char)((value >> shift) & 0xFF));
}

void PutChunk(std::string &out, const char *type, const std::string &data)
{
    PutBigEndian(out, (uint32_t)data.size());
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBigEndian(out, (uint32_t)crc32(0, (const Bytef *)body.data(), (uInt)body.size()));
}

// The rows as a zlib stream; empty when zlib fails.
std::string Deflate(const std::string &raw)
{
    uLongf size = compressBound((uLong)raw.size());
    std::string out(size, '\0');
    if (compress2((Bytef *)&out[0], &size, (const Bytef *)raw.data(), (uLong)raw.size(), Z_BEST_COMPRESSION) != Z_OK)
        return "";
    out.resize(size);
    return out;
}

// The PNG rows of the screen: a filter byte, then red, green and blue.
std::string ScreenRows(int width, int height)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;   // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();

    std::string raw;
    raw.reserve((size_t)height * (width * 3 + 1));
    const uint8_t *pixels = (const uint8_t *)bits;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);   // no filter
        const uint8_t *row = pixels + (size_t)y * width * 4;
        for (int x = 0; x < width; ++x) {
            raw.push_back((char)row[x * 4 + 2]);
            raw.push_back((char)row[x * 4 + 1]);
            raw.push_back((char)row[x * 4 + 0]);
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return raw;
}

} // namespace

std::string ScreenPixels()
{
    return ScreenRows(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

std::string Screenshot(const std::string &name)
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    std::string raw = ScreenRows(width, height);

    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBigEndian(header, (uint32_t)width);
    PutBigEndian(header, (uint32_t)height);
    header += std::string("\x08\x02\x00\x00\x00", 5);   // 8-bit RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", Deflate(raw));
    PutChunk(png, "IEND", "");

    std::string directory = nltest::JoinPath(nltest::BuildDir(), "screenshots");
    CreateDirectoryA(directory.c_str(), nullptr);
    std::string path = nltest::JoinPath(directory, name + ".png");
    nltest::WriteFileBytes(path, png);
    return path;
}

} // namespace nldriver
