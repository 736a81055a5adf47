#pragma once
// A window with every styled control, attached the way the pages attach them
// (data exchange on the template's controls), for tests that drive them by
// messages and look at what they paint.

#include "Afx.h"
#include "ControlsTestIds.h"
#include "CylinderGauge.h"
#include "StyleComboBox.h"
#include "StyleEdit.h"
#include "StyleStatic.h"
#include "SysOptListCtrl.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// The gauge with its inner state in reach of the tests.
class TestGauge : public CCylinderGauge {
public:
    using CCylinderGauge::m_nPos;
    using CCylinderGauge::m_nRangeSize;
    using CCylinderGauge::m_tooltip;
};

// A label that records the addresses it would hand to the shell.
class TestStatic : public CStyleStatic {
public:
    using CStyleStatic::m_bBlinkPhase;
    using CStyleStatic::m_blinkKind;
    using CStyleStatic::m_bRotate;
    using CStyleStatic::m_bTimerRunning;
    using CStyleStatic::m_crTextColor;
    using CStyleStatic::m_font;
    using CStyleStatic::m_lf;
    using CStyleStatic::TextFormat;

    struct Opened {
        CString verb; // "(none)" for the shell's default verb
        CString address;
    };
    std::vector<Opened> opened;

protected:
    void OpenLink(LPCWSTR verb, LPCWSTR address) override
    {
        opened.push_back({verb ? CString(verb) : CString(L"(none)"), CString(address)});
    }
};

class TestEdit : public CStyleEdit {
public:
    using CStyleEdit::m_bTransparent;
};

class ControlsTestDlg : public CDialog {
public:
    ControlsTestDlg() : CDialog(IDD_CONTROLS_TEST) {}

    TestGauge lifeGauge;
    TestGauge temperatureGauge;
    TestGauge verticalGauge;
    TestStatic captionLabel;
    TestStatic gradientLabel;
    TestStatic centredLabel;
    TestStatic linkLabel;
    TestStatic rotatedLabel;
    TestEdit pathEdit;
    CStyleComboBox diskCombo;
    CSysOptListCtrl smartList;

    // Every WM_NOTIFY the window receives, before any reflection.
    std::vector<NMHDR> notifications;

    // Creates the window inside the test host and lets it paint.
    void Open()
    {
        CWnd* host = TestHost();
        ASSERT_TRUE(Create(IDD_CONTROLS_TEST, host));
        CRect rect;
        GetWindowRect(&rect);
        // The host takes the window's size and moves in as far as it must to
        // stay whole on the screen: pixels past the screen's edge cannot be read.
        CRect hostRect;
        host->GetWindowRect(&hostRect);
        int left = std::max(0, std::min<int>(hostRect.left, ::GetSystemMetrics(SM_CXSCREEN) - rect.Width()));
        int top = std::max(0, std::min<int>(hostRect.top, ::GetSystemMetrics(SM_CYSCREEN) - rect.Height()));
        host->SetWindowPos(nullptr, left, top, rect.Width(), rect.Height(), SWP_NOZORDER);
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(SW_SHOW);
        UpdateWindow();
        PumpMessages(50);
    }

    // One top-level window for the whole run, holding each test's window as
    // a child page: a top-level window under Wine takes seconds to destroy.
    // It sits away from the screen's corner, where other test programs put
    // their windows.
    static CWnd* TestHost()
    {
        static CWnd* host = nullptr;
        if (host == nullptr) {
            host = new CWnd;
            host->CreateEx(WS_EX_TOPMOST,
                           AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), ::GetSysColorBrush(COLOR_BTNFACE)),
                           L"Controls", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(560, 480, 1200, 960), nullptr,
                           0);
            host->UpdateWindow();
        }
        return host;
    }

    // Repaints everything now.
    void Repaint()
    {
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages(30);
    }

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        CDialog::DoDataExchange(dx);
        DDX_Control(dx, IDC_GAUGE_LIFE, lifeGauge);
        DDX_Control(dx, IDC_GAUGE_TEMPERATURE, temperatureGauge);
        DDX_Control(dx, IDC_GAUGE_VERTICAL, verticalGauge);
        DDX_Control(dx, IDC_LABEL_CAPTION, captionLabel);
        DDX_Control(dx, IDC_LABEL_GRADIENT, gradientLabel);
        DDX_Control(dx, IDC_LABEL_CENTRED, centredLabel);
        DDX_Control(dx, IDC_LABEL_LINK, linkLabel);
        DDX_Control(dx, IDC_LABEL_ROTATED, rotatedLabel);
        DDX_Control(dx, IDC_EDIT_PATH, pathEdit);
        DDX_Control(dx, IDC_COMBO_DISKS, diskCombo);
        DDX_Control(dx, IDC_LIST_SMART, smartList);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY)
            notifications.push_back(*reinterpret_cast<NMHDR*>(lParam));
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

// Screen rectangle of a control, for clicks and pixel reads.
inline RECT ScreenRectOf(const CWnd& control)
{
    RECT rect;
    ::GetWindowRect(control.GetSafeHwnd(), &rect);
    return rect;
}

// A left click at a point of a window's client area, delivered as the
// platform delivers it: a window that hit-tests as transparent (a static
// control without SS_NOTIFY) passes it on to its parent.
inline void ClickAt(HWND window, int x, int y)
{
    POINT pt = {x, y};
    ::ClientToScreen(window, &pt);
    HWND target = window;
    while (target && ::SendMessageW(target, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)) == HTTRANSPARENT)
        target = ::GetParent(target);
    ::ScreenToClient(target, &pt);
    ::SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    PumpMessages(20);
}

// The LOGFONT of a font handle.
inline LOGFONT LogFontOf(HGDIOBJ font)
{
    LOGFONT lf = {};
    ::GetObjectW(font, sizeof(lf), &lf);
    return lf;
}
