// The font recipe shared by the styled controls, and the edit's colours.

#include "ControlsTestDlg.h"

#include "Screenshot.h"

#include <map>

namespace {

class StyledWindow : public ::testing::Test {
protected:
    void SetUp() override { dlg.Open(); }
    void TearDown() override { dlg.DestroyWindow(); }
    ControlsTestDlg dlg;
};

void ExpectRecipe(const LOGFONT& lf, int height, int weight, BYTE italic)
{
    EXPECT_EQ(-height, lf.lfHeight);
    EXPECT_EQ(0, lf.lfWidth);
    EXPECT_EQ(0, lf.lfEscapement);
    EXPECT_EQ(0, lf.lfOrientation);
    EXPECT_EQ(weight, lf.lfWeight);
    EXPECT_EQ(italic, lf.lfItalic);
    EXPECT_EQ(0, lf.lfUnderline);
    EXPECT_EQ(0, lf.lfStrikeOut);
    EXPECT_EQ(ANSI_CHARSET, lf.lfCharSet);
    EXPECT_EQ(OUT_STROKE_PRECIS, lf.lfOutPrecision);
    EXPECT_EQ(CLIP_STROKE_PRECIS, lf.lfClipPrecision);
    EXPECT_EQ(CLEARTYPE_QUALITY, lf.lfQuality);
    EXPECT_EQ(VARIABLE_PITCH | FF_SWISS, lf.lfPitchAndFamily);
    EXPECT_STREQ(L"", lf.lfFaceName);
}

TEST_F(StyledWindow, EveryControlBuildsItsFontByTheSameRecipe)
{
    struct Case {
        int height, unused, weight;
        BYTE italic;
    } cases[] = {{13, 7, 400, 0}, {15, 7, 700, 0}, {40, 36, 400, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "SetFontStyle(" << c.height << ", " << c.unused << ", " << c.weight << ")");
        dlg.pathEdit.SetFontStyle(c.height, c.unused, c.weight, c.italic);
        dlg.diskCombo.SetFontStyle(c.height, c.unused, c.weight, c.italic);
        dlg.captionLabel.SetFontStyle(c.height, c.unused, c.weight, c.italic);
        ExpectRecipe(LogFontOf(reinterpret_cast<HGDIOBJ>(dlg.pathEdit.SendMessage(WM_GETFONT))), c.height, c.weight,
                     c.italic);
        ExpectRecipe(LogFontOf(reinterpret_cast<HGDIOBJ>(dlg.diskCombo.SendMessage(WM_GETFONT))), c.height, c.weight,
                     c.italic);
        ExpectRecipe(LogFontOf(dlg.captionLabel.m_font.GetSafeHandle()), c.height, c.weight, c.italic);
    }
}

TEST_F(StyledWindow, SetFontStyleReleasesThePreviousFont)
{
    dlg.pathEdit.SetFontStyle(13, 7, 400, 0);
    dlg.diskCombo.SetFontStyle(15, 7, 400, 0);
    HGDIOBJ editFirst = reinterpret_cast<HGDIOBJ>(dlg.pathEdit.SendMessage(WM_GETFONT));
    HGDIOBJ comboFirst = reinterpret_cast<HGDIOBJ>(dlg.diskCombo.SendMessage(WM_GETFONT));
    dlg.pathEdit.SetFontStyle(13, 7, 700, 0);
    dlg.diskCombo.SetFontStyle(15, 7, 700, 0);
    EXPECT_EQ(0u, ::GetObjectType(editFirst));
    EXPECT_EQ(0u, ::GetObjectType(comboFirst));
}

// The most frequent colour inside a control, away from its edges.
COLORREF InteriorColor(const CWnd& control)
{
    CRect client;
    control.GetClientRect(&client);
    std::map<COLORREF, int> counts;
    for (int x = 3; x < client.Width() - 3; x += 2)
        counts[ScreenPixel(control.GetSafeHwnd(), x, client.Height() / 2)]++;
    COLORREF best = 0;
    int most = -1;
    for (auto& [color, count] : counts) {
        if (count > most) {
            best = color;
            most = count;
        }
    }
    return best;
}

TEST_F(StyledWindow, EditPaintsItsOwnColoursOverTheDialogs)
{
    TestEdit& edit = dlg.pathEdit;
    edit.SetFontStyle(13, 7, 400, 0);
    edit.SetWindowText(L"C:\\Firmware\\bank_imem.ram");
    dlg.Repaint();
    EXPECT_EQ(RGB(255, 255, 255), InteriorColor(edit)) << "white whatever the dialog paints";

    edit.m_bTransparent = FALSE;
    edit.SetBackColor(RGB(0xC0, 0xC0, 0xC0));
    edit.SetTextColor(RGB(0, 0, 0x80));
    dlg.Repaint();
    EXPECT_EQ(RGB(0xC0, 0xC0, 0xC0), InteriorColor(edit)) << "the back colour fills the edit and its text cells";
}

TEST_F(StyledWindow, ComboBoxColoursNeverReachTheScreen)
{
    CStyleComboBox& combo = dlg.diskCombo;
    combo.SetFontStyle(15, 7, 400, 0);
    combo.AddString(L"Zarvo ZR80e NVMe SSD");
    combo.SetCurSel(0);
    dlg.Repaint();
    WindowPicture before(combo.GetSafeHwnd());
    ASSERT_GT(before.Colours(), 2u) << "the combo box shows its text and frame";

    combo.SetBackColor(RGB(255, 0, 0));
    combo.SetTextColor(RGB(0, 255, 0));
    PumpMessages(50);
    EXPECT_TRUE(before.Pixels() == WindowPicture(combo.GetSafeHwnd()).Pixels());
}

} // namespace
