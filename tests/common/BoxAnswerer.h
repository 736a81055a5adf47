#pragma once
// Answers the message box with the expected title that the test's thread
// shows: reads its text and presses OK (see DialogAnswerer for how it is
// found, and what becomes of a box that is not the expected one).
//
//     BoxAnswerer answerer(L"support_tests");
//     CallThatShowsTheBox();
//     answerer.Finish();
//     EXPECT_EQ(L"...", answerer.Text());

#include "DialogAnswerer.h"

#include <string>

class BoxAnswerer {
public:
    explicit BoxAnswerer(const std::wstring& title, DWORD waitMs = 10000)
        : m_person(
              "box titled \"" + Utf8(title.c_str()) + "\"",
              [this, title](HWND box) {
                  if (DialogAnswerer::TextOf(box) != title)
                      return false;
                  m_text = DialogAnswerer::TextOf(::GetDlgItem(box, 0xFFFF));
                  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                  return true;
              },
              waitMs)
    {
    }

    void Finish() { m_person.Finish(); }

    // The text of the expected box, once it has been answered and Finish called.
    const std::wstring& Text() const { return m_text; }

private:
    std::wstring m_text; // first: the person's thread writes it
    DialogAnswerer m_person;
};
