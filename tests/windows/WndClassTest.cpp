// Window classes of plain framework windows: one per set of parameters, as
// many as asked for, from any thread.

#include "Afx.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

constexpr int kClasses = 20;
constexpr int kThreads = 4;

// Each index a set of parameters of its own (style and background differ).
LPCWSTR RegisterClassNumber(int index)
{
    return AfxRegisterWndClass(static_cast<UINT>(index % 2 ? CS_DBLCLKS : 0), ::LoadCursorW(nullptr, IDC_ARROW),
                               reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(index + 1)));
}

} // namespace

TEST(WndClass, ManyClassesFromSeveralThreadsAreEachRegisteredOnce)
{
    std::vector<std::vector<LPCWSTR>> names(kThreads, std::vector<LPCWSTR>(kClasses));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&names, t] {
            for (int i = 0; i < kClasses; ++i)
                names[t][i] = RegisterClassNumber(i);
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    for (int i = 0; i < kClasses; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(names[0][i], nullptr);
        for (int t = 1; t < kThreads; ++t)
            EXPECT_EQ(names[t][i], names[0][i]);
        EXPECT_EQ(RegisterClassNumber(i), names[0][i]);
        WNDCLASSW wc = {};
        ASSERT_TRUE(::GetClassInfoW(AfxGetInstanceHandle(), names[0][i], &wc));
        EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(i + 1)));
    }
    for (int i = 1; i < kClasses; ++i)
        EXPECT_NE(names[0][i], names[0][i - 1]);

    CWnd window;
    ASSERT_TRUE(window.CreateEx(0, names[0][kClasses - 1], L"last class", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 50),
                                nullptr, 0));
    window.DestroyWindow();
}
