#include <gtest/gtest.h>

#include "GDIpInitializer.h"
#include "TraceCapture.h"

namespace {

bool MarkerExists()
{
    wchar_t name[64];
    wsprintfW(name, L"Vk_Kestrova_GDIPlusInitID=%x", ::GetCurrentProcessId());
    HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, name);
    if (mapping == nullptr)
        return false;
    ::CloseHandle(mapping);
    return true;
}

// GDI+ answers drawing calls only while it is started.
bool GdiplusAnswers()
{
    Gdiplus::GpBitmap* bitmap = nullptr;
    Gdiplus::GpStatus status =
        Gdiplus::DllExports::GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppARGB, nullptr, &bitmap);
    if (bitmap != nullptr)
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return status == Gdiplus::Ok;
}

TEST(GDIpInitializer, OneInstanceStartsAndStops)
{
    TraceCapture trace;
    CGDIpInitializer guard(false);
    EXPECT_FALSE(MarkerExists());
    EXPECT_EQ(L"", trace.Captured());

    guard.Initialize();
    EXPECT_EQ(L"Inited GDIPlus\n", trace.Captured());
    EXPECT_TRUE(MarkerExists());
    EXPECT_TRUE(GdiplusAnswers());

    guard.Deinitialize();
    EXPECT_EQ(L"Inited GDIPlus\nGDIPlus shutdown\n", trace.Captured());
    EXPECT_FALSE(MarkerExists());
}

TEST(GDIpInitializer, SecondInstanceOnlyCounts)
{
    TraceCapture trace;
    CGDIpInitializer starter(false);
    CGDIpInitializer other(false);
    starter.Initialize();
    other.Initialize();
    other.Initialize();
    EXPECT_EQ(L"Inited GDIPlus\n", trace.Captured());

    other.Deinitialize();
    other.Deinitialize();
    EXPECT_TRUE(MarkerExists());
    EXPECT_EQ(L"Inited GDIPlus\n", trace.Captured());

    starter.Deinitialize();
    EXPECT_EQ(L"Inited GDIPlus\nGDIPlus shutdown\n", trace.Captured());
    EXPECT_FALSE(MarkerExists());
}

TEST(GDIpInitializer, StarterLeavingEarlyKeepsGdiplusUp)
{
    TraceCapture trace;
    CGDIpInitializer starter(false);
    CGDIpInitializer other(false);
    starter.Initialize();
    other.Initialize();
    starter.Deinitialize();
    other.Deinitialize(); // not the starter: no shutdown
    EXPECT_EQ(L"Inited GDIPlus\n", trace.Captured());
    EXPECT_TRUE(MarkerExists());

    // The starter's next matched pair brings the count to 0 again and stops.
    starter.Initialize();
    starter.Deinitialize();
    EXPECT_EQ(L"Inited GDIPlus\nGDIPlus shutdown\n", trace.Captured());
    EXPECT_FALSE(MarkerExists());
}

TEST(GDIpInitializer, StartInConstructorStopsInDestructor)
{
    TraceCapture trace;
    {
        CGDIpInitializer guard(true);
        EXPECT_EQ(L"Inited GDIPlus\n", trace.Captured());
        EXPECT_TRUE(MarkerExists());
    }
    EXPECT_EQ(L"Inited GDIPlus\nGDIPlus shutdown\n", trace.Captured());
    EXPECT_FALSE(MarkerExists());
}

} // namespace
