// Screenshots as PNG files, written with uncompressed deflate blocks so that
// no image library is needed.
#include "driver/driver.h"
#include "support/test_support.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nldriver {

namespace {

uint32_t Crc32(const uint8_t *data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

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
    PutBigEndian(out, Crc32((const uint8_t *)body.data(), body.size()));
}

std::string StoredZlib(const std::string &raw)
{
    std::string out = "\x78\x01";
    const size_t block = 65535;
    size_t offset = 0;
    do {
        size_t size = raw.size() - offset < block ? raw.size() - offset : block;
        bool last = offset + size == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back((char)(size & 0xFF));
        out.push_back((char)(size >> 8));
        out.push_back((char)(~size & 0xFF));
        out.push_back((char)((~size >> 8) & 0xFF));
        out.append(raw, offset, size);
        offset += size;
    } while (offset < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace

std::string Screenshot(const std::string &name)
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
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

    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBigEndian(header, (uint32_t)width);
    PutBigEndian(header, (uint32_t)height);
    header += std::string("\x08\x02\x00\x00\x00", 5);   // 8-bit RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", "");

    std::string directory = nltest::JoinPath(nltest::BuildDir(), "screenshots");
    CreateDirectoryA(directory.c_str(), nullptr);
    std::string path = nltest::JoinPath(directory, name + ".png");
    nltest::WriteFileBytes(path, png);
    return path;
}

} // namespace nldriver
