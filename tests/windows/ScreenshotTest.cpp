// The screenshot helper: it fails the test that takes a picture which cannot
// show what the window painted, and its PNG holds the pixels it read.

#include "Screenshot.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>

namespace {

// How a test window paints its client area: one colour, two halves, or
// four bars.
enum class Look { Solid, Halves, Bars };

const COLORREF kBars[] = {RGB(200, 30, 30), RGB(30, 160, 60), RGB(40, 60, 220), RGB(250, 220, 40)};

LRESULT CALLBACK PaintLook(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return ::DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window, &ps);
    RECT client;
    ::GetClientRect(window, &client);
    int bars = 1;
    switch (static_cast<Look>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
    case Look::Solid:
        bars = 1;
        break;
    case Look::Halves:
        bars = 2;
        break;
    case Look::Bars:
        bars = 4;
        break;
    }
    for (int i = 0; i < bars; i++) {
        RECT bar = {client.right * i / bars, 0, client.right * (i + 1) / bars, client.bottom};
        HBRUSH brush = ::CreateSolidBrush(kBars[i]);
        ::FillRect(dc, &bar, brush);
        ::DeleteObject(brush);
    }
    ::EndPaint(window, &ps);
    return 0;
}

// A borderless top-level window that paints its look, shown and painted.
class LookWindow {
public:
    LookWindow(Look look, int x, int y, int width = 120, int height = 80)
    {
        static ATOM atom = 0;
        if (atom == 0) {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = PaintLook;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ScreenshotLook";
            atom = ::RegisterClassW(&wc);
        }
        m_window = ::CreateWindowExW(WS_EX_TOPMOST, L"ScreenshotLook", L"", WS_POPUP, x, y, width, height, nullptr,
                                     nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, static_cast<LONG_PTR>(look));
        ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(m_window);
        PumpMessages(100);
    }
    ~LookWindow() { ::DestroyWindow(m_window); }
    HWND Handle() const { return m_window; }

private:
    HWND m_window;
};

TEST(Screenshot, APictureThatCannotShowThePaintingFailsTheTest)
{
    std::wstring refused = screenshot_detail::Folder() + L"screenshot_refused.png";
    ::DeleteFileW(refused.c_str());
    int right = ::GetSystemMetrics(SM_CXSCREEN);
    struct Case {
        const char* what;
        Look look;
        int x;
        const char* failure;
    } cases[] = {
        {"one colour", Look::Solid, 700, "1 colour(s)"},
        {"two colours", Look::Halves, 700, "2 colour(s)"},
        {"partly off the screen", Look::Bars, right - 60, "off the screen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LookWindow window(c.look, c.x, 40);
        bool saved = true;
        EXPECT_NONFATAL_FAILURE(saved = SaveScreenshot(window.Handle(), L"screenshot_refused"), c.failure);
        EXPECT_FALSE(saved);
    }

    LookWindow below(Look::Bars, 700, 40);
    LookWindow over(Look::Solid, 730, 60, 40, 30); // over the centre of the one below
    bool saved = true;
    EXPECT_NONFATAL_FAILURE(saved = SaveScreenshot(below.Handle(), L"screenshot_refused"), "lies over");
    EXPECT_FALSE(saved);

    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(refused.c_str())) << "no file for a refused picture";
}

TEST(Screenshot, ThePngHoldsThePixelsReadFromTheScreen)
{
    LookWindow window(Look::Bars, 700, 40);
    WindowPicture picture(window.Handle());
    ASSERT_TRUE(picture.Save(L"screenshot_bars"));
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(kBars[i], picture.At(window.Handle(), 15 + 30 * i, 40)) << "bar " << i;

    screen_pixels::GdiplusScope gdiplus;
    std::wstring path = screenshot_detail::Folder() + L"screenshot_bars.png";
    Gdiplus::Bitmap png(path.c_str());
    ASSERT_EQ(Gdiplus::Ok, png.GetLastStatus());
    GUID format;
    png.GetRawFormat(&format);
    EXPECT_TRUE(format == Gdiplus::ImageFormatPNG);
    ASSERT_EQ(static_cast<UINT>(picture.Width()), png.GetWidth());
    ASSERT_EQ(static_cast<UINT>(picture.Height()), png.GetHeight());
    for (int i = 0; i < 4; i++) {
        Gdiplus::Color color;
        png.GetPixel(15 + 30 * i, 40, &color);
        EXPECT_EQ(kBars[i], color.ToCOLORREF()) << "bar " << i;
    }
}

} // namespace
