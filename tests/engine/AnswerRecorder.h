#pragma once
// A message-only window that stands in for the main window: it records every
// answer of the worker in order, with a copy of each text and block (which it
// frees as the main window does), and can react to an answer the way the
// main window would (for example select drive 0 on WM_SSDOP_DEVICE_LIST_READY).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "CWnd.h"
#include "SSDOpMessages.h"
#include "WindowTest.h"

struct Answer {
    UINT message;
    WPARAM wParam;
    std::wstring text;       // WM_SSDOP_INFO_MESSAGE
    std::vector<BYTE> block; // WM_SSDOP_FLASH_ID (8 bytes)
    int percent() const { return static_cast<int>(static_cast<INT_PTR>(wParam)); }
};

class AnswerRecorder : public CWnd {
public:
    AnswerRecorder() { CreateEx(0, L"STATIC", L"answers", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr); }
    ~AnswerRecorder() override
    {
        // Answers still queued carry heap copies: take them and free them.
        Pump();
        DestroyWindow();
    }

    std::vector<Answer> answers;
    std::function<void(const Answer&)> onAnswer;

    // Dispatches what has arrived so far.
    void Pump() { PumpMessages(0); }
    // Dispatches until `count` answers have arrived (FALSE when time ran out).
    bool WaitForCount(size_t count, DWORD timeoutMs = 10000)
    {
        return PumpUntil([&] { return answers.size() >= count; }, timeoutMs);
    }
    // Dispatches until an answer with this message has arrived.
    bool WaitFor(UINT message, DWORD timeoutMs = 10000)
    {
        return PumpUntil([&] { return Count(message) > 0; }, timeoutMs);
    }

    size_t Count(UINT message) const
    {
        size_t n = 0;
        for (const Answer& a : answers)
            n += a.message == message;
        return n;
    }
    std::vector<std::wstring> Texts(WPARAM kind) const
    {
        std::vector<std::wstring> texts;
        for (const Answer& a : answers)
            if (a.message == WM_SSDOP_INFO_MESSAGE && a.wParam == kind)
                texts.push_back(a.text);
        return texts;
    }
    std::vector<std::wstring> Results() const { return Texts(INFO_KIND_RESULT); }
    std::vector<int> Progress() const
    {
        std::vector<int> values;
        for (const Answer& a : answers)
            if (a.message == WM_SSDOP_PROGRESS)
                values.push_back(a.percent());
        return values;
    }
    // One line per answer, for comparing message order: "RESULT No device!",
    // "STATUS ...", "PROGRESS 12", "UPDATED", "LIST_READY", "SMART_UPDATED",
    // "WRITE_CACHE 1", "FLASH_ID".
    std::vector<std::wstring> Lines() const
    {
        std::vector<std::wstring> lines;
        for (const Answer& a : answers)
            lines.push_back(Line(a));
        return lines;
    }
    static std::wstring Line(const Answer& a)
    {
        switch (a.message) {
        case WM_SSDOP_INFO_MESSAGE:
            return (a.wParam == INFO_KIND_STATUS ? L"STATUS " : L"RESULT ") + a.text;
        case WM_SSDOP_PROGRESS:
            return L"PROGRESS " + std::to_wstring(a.percent());
        case WM_SSDOP_DEVICE_UPDATED:
            return L"UPDATED";
        case WM_SSDOP_DEVICE_LIST_READY:
            return L"LIST_READY";
        case WM_SSDOP_SMART_UPDATED:
            return L"SMART_UPDATED";
        case WM_SSDOP_WRITE_CACHE_STATE:
            return L"WRITE_CACHE " + std::to_wstring(a.percent());
        case WM_SSDOP_FLASH_ID:
            return L"FLASH_ID";
        default:
            return L"MESSAGE " + std::to_wstring(a.message);
        }
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message < WM_SSDOP_DEVICE_UPDATED || message > WM_SSDOP_FLASH_ID)
            return CWnd::WindowProc(message, wParam, lParam);
        Answer answer{message, wParam, {}, {}};
        if (message == WM_SSDOP_INFO_MESSAGE) {
            answer.text = SSDOpMessageText(lParam);
            SSDOpFreeText(lParam);
        } else if (message == WM_SSDOP_FLASH_ID) {
            const BYTE* block = reinterpret_cast<const BYTE*>(wParam);
            answer.block.assign(block, block + 8);
            SSDOpFreeBlock(wParam);
            answer.wParam = 0;
        }
        answers.push_back(answer);
        if (onAnswer)
            onAnswer(answers.back());
        return 0;
    }
};
