// Every label of the main window and of the drive page shows its whole text:
// measured in the font the label paints with, the text fits the label's
// client area, on as many lines as the label's word wrap gives it.
//
// The labels paint with a font of their own, not the one WM_GETFONT hands
// out (the dialog's), and a font handle does not cross processes: the text is
// measured here, in the same Wine prefix and so with the same font mapping,
// from the same description the labels build (the controls' font recipe at
// each label's height and weight).

#include "ControlFont.h"
#include "ProgramDriver.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Height and weight each label is given when its window is set up.
struct LabelFont {
    int id;
    int height;
    int weight;
};

const LabelFont kMainLabels[] = {{1032, 16, FW_BOLD}, {ids::kGamingLabel, 16, FW_BOLD}};

const LabelFont kDrivePageLabels[] = {
    {1033, 13, FW_BOLD},
    {1034, 13, FW_BOLD},
    {1035, 13, FW_BOLD},
    {1036, 13, FW_BOLD},
    {1037, 13, FW_BOLD},
    {1038, 13, FW_BOLD},
    {1039, 13, FW_BOLD},
    {1040, 13, FW_BOLD},
    {1049, 13, FW_BOLD},
    {1052, 13, FW_BOLD},
    {ids::kSerial, 13, FW_NORMAL},
    {ids::kFirmware, 13, FW_NORMAL},
    {ids::kInterface, 13, FW_NORMAL},
    {ids::kSpeed, 13, FW_NORMAL},
    {ids::kLife, 13, FW_NORMAL},
    {ids::kCapacity, 13, FW_NORMAL},
    {ids::kDriveLetter, 13, FW_NORMAL},
    {ids::kHmb, 13, FW_NORMAL},
    {ids::kModel, 13, FW_NORMAL},
    {ids::kOperationTime, 13, FW_NORMAL},
    {ids::kClockMode, 40, FW_NORMAL},
};

// A font and a screen DC it is selected into, released on every road.
class MeasuringDC {
public:
    MeasuringDC(int height, int weight) : m_dc(::CreateCompatibleDC(nullptr))
    {
        LOGFONT lf = MakeControlLogFont(height, weight, FALSE);
        m_font = ::CreateFontIndirectW(&lf);
        m_old = ::SelectObject(m_dc, m_font);
    }
    ~MeasuringDC()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_font);
        ::DeleteDC(m_dc);
    }
    MeasuringDC(const MeasuringDC&) = delete;
    MeasuringDC& operator=(const MeasuringDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

// How the label lays its text out, as its painting does: a left, centred or
// right label wraps at word boundaries, any other kind breaks lines only
// where the text does.
UINT LabelFormat(HWND label)
{
    switch (::GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
        return DT_WORDBREAK;
    default:
        return 0;
    }
}

std::string Narrow(const CString& text)
{
    std::string narrow;
    for (LPCWSTR c = text; *c; ++c)
        narrow += static_cast<char>(*c < 128 ? *c : '?');
    return narrow;
}

// Empty when the label's text fits its client area, else what does not fit.
std::string Misfit(HWND parent, const LabelFont& font)
{
    HWND label = ::GetDlgItem(parent, font.id);
    if (!label)
        return "no label " + std::to_string(font.id);
    CString text = ProgramDriver::Text(label);
    if (!::IsWindowVisible(label) || text.IsEmpty())
        return std::string();
    RECT client = {};
    ::GetClientRect(label, &client);
    MeasuringDC dc(font.height, font.weight);
    // With word wrap the width stays the label's unless one word alone is
    // wider; the height is that of all the lines.
    RECT needed = {0, 0, client.right, 0};
    ::DrawTextW(dc.Get(), text, -1, &needed, DT_CALCRECT | LabelFormat(label));
    if (needed.right <= client.right && needed.bottom <= client.bottom)
        return std::string();
    std::ostringstream out;
    out << "label " << font.id << " \"" << Narrow(text) << "\" needs " << needed.right << " x " << needed.bottom
        << ", has " << client.right << " x " << client.bottom;
    return out.str();
}

template <size_t N> void ExpectLabelsFit(HWND parent, const LabelFont (&labels)[N])
{
    for (const LabelFont& font : labels)
        EXPECT_EQ(Misfit(parent, font), "");
}

TEST(ProgramLabels, EveryLabelOfTheMainWindowAndTheDrivePageShowsItsWholeText)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForDrivePage());
    ExpectLabelsFit(program.Main(), kMainLabels);
    ExpectLabelsFit(program.DrivePage(), kDrivePageLabels);
    SaveScreenshot(program.Main(), L"app_main_labels");
    EXPECT_TRUE(program.CloseAndWait());
}

} // namespace
