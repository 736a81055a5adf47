// GDI+ for the whole test run, as the application starts it for its own.

#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

namespace {

class GdiplusSession : public ::testing::Environment {
public:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&m_token, &input, nullptr));
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

::testing::Environment* const session = ::testing::AddGlobalTestEnvironment(new GdiplusSession);

} // namespace
