#pragma once
// The screen's pixels and their PNG file, for the tests' screenshots and for
// the runner's picture of a hung program's screen: no test framework here,
// each call says what went wrong in its returned text (empty: it worked).

#include "Win32Failure.h"

#include <windows.h>

#include <gdiplus.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

namespace screen_pixels {

// GDI+ for the length of one save: programs that never start it may save too.
class GdiplusScope {
public:
    GdiplusScope()
    {
        Gdiplus::GdiplusStartupInput input;
        m_started = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusScope()
    {
        if (m_started)
            Gdiplus::GdiplusShutdown(m_token);
    }
    GdiplusScope(const GdiplusScope&) = delete;
    GdiplusScope& operator=(const GdiplusScope&) = delete;
    bool Started() const { return m_started; }

private:
    ULONG_PTR m_token = 0;
    bool m_started = false;
};

inline bool FindPngEncoder(CLSID* clsid)
{
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return false;
    std::vector<uint64_t> buffer((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace screen_pixels

// Reads a rectangle of the screen into pixels (top-down, 0x00RRGGBB).
inline std::string ReadScreenPixels(const RECT& rect, std::vector<uint32_t>& pixels)
{
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return "the rectangle to read is empty";
    std::vector<uint32_t> read(static_cast<size_t>(width) * height);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    BOOL copied = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    DWORD copyError = copied ? ERROR_SUCCESS : ::GetLastError();
    ::SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    int rows = ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), read.data(), &info, DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (!copied || rows != height) {
        return "the screen could not be read at " + std::to_string(rect.left) + "," + std::to_string(rect.top) + " (" +
               std::to_string(width) + "x" + std::to_string(height) + "): " +
               (!copied ? CallFailed("BitBlt", nullptr, copyError)
                        : "GetDIBits gave " + std::to_string(rows) + " rows");
    }
    pixels.swap(read);
    return std::string();
}

// Writes pixels (top-down, 0x00RRGGBB) as a PNG file.
inline std::string SavePixelsAsPng(const std::wstring& path, int width, int height, const std::vector<uint32_t>& pixels)
{
    screen_pixels::GdiplusScope gdiplus;
    CLSID png;
    if (!gdiplus.Started() || !screen_pixels::FindPngEncoder(&png))
        return "GDI+ has no PNG encoder";
    Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppRGB,
                           reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels.data())));
    Gdiplus::Status status = bitmap.Save(path.c_str(), &png, nullptr);
    if (status != Gdiplus::Ok)
        return "screenshot " + Utf8(path.c_str()) + " not written: GDI+ status " + std::to_string(status);
    return std::string();
}
