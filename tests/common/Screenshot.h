#pragma once
// Saves what a person sees of a window (or of the whole screen) as a PNG
// file under build/screenshots/, for people to look at after a test run.
// The pixels are read from the screen after the window has painted, so
// overlapping windows show as they would to the user.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace screenshot_detail {

inline uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBigEndian(out, Crc32(body.data(), body.size()));
}

// An uncompressed zlib stream (stored deflate blocks): simple and exact.
inline std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t len = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        bool last = pos + len == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(len));
        out.push_back(static_cast<uint8_t>(len >> 8));
        out.push_back(static_cast<uint8_t>(~len));
        out.push_back(static_cast<uint8_t>(~len >> 8));
        out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + len);
        pos += len;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace screenshot_detail

// Top-down BGRA pixels (as GetDIBits gives them) to an RGB PNG file.
inline bool WritePng(const std::wstring& path, int width, int height, const std::vector<uint8_t>& bgra)
{
    using namespace screenshot_detail;
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(height) * (width * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // no filter
        const uint8_t* row = &bgra[static_cast<size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x) {
            raw.push_back(row[x * 4 + 2]);
            raw.push_back(row[x * 4 + 1]);
            raw.push_back(row[x * 4 + 0]);
        }
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});

    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr) && written == png.size();
    ::CloseHandle(file);
    return ok;
}

// Reads a screen rectangle as top-down BGRA pixels.
inline std::vector<uint8_t> CaptureScreenRect(const RECT& rect)
{
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    if (width <= 0 || height <= 0)
        return pixels;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// The folder the screenshots go to: build/screenshots (tests run in build/bin).
inline std::wstring ScreenshotPath(const wchar_t* name)
{
    ::CreateDirectoryW(L"..\\screenshots", nullptr);
    return std::wstring(L"..\\screenshots\\") + name + L".png";
}

// Saves the window as it is on the screen (NULL: the whole screen).
inline bool SaveScreenshot(HWND window, const wchar_t* name)
{
    RECT rect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (window)
        ::GetWindowRect(window, &rect);
    std::vector<uint8_t> pixels = CaptureScreenRect(rect);
    return WritePng(ScreenshotPath(name), rect.right - rect.left, rect.bottom - rect.top, pixels);
}
