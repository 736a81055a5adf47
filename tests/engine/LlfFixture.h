#pragma once
// A worker with a drive made current, a resource folder for the low-level
// format and firmware downloads, and waits that end when a request's last
// answer has arrived.

#include <windows.h>

#include <string>
#include <vector>

#include "EngineFixture.h"
#include "FileUtil.h"
#include "TempDir.h"

class LlfEngineTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        // A thousandth of real time: the 25-second wait of the format takes 25 ms.
        SetEngineWaitScale(1);
        ::DeleteFileW(ModuleFile(L"LlfResp.dat"));
    }
    void TearDown() override
    {
        ::DeleteFileW(ModuleFile(L"LlfResp.dat"));
        EngineTest::TearDown();
    }

    // Starts the worker, scans, and makes the kept drive `index` current
    // (0: the "VG" drive of family 6E40, 1: the "VL" drive of family 6E42).
    void StartWithDrive(WPARAM index)
    {
        StartWorker();
        ASSERT_TRUE(Scan());
        ASSERT_TRUE(recorder.WaitFor(WM_SSDOP_DEVICE_UPDATED));
        if (index != 0) {
            recorder.onAnswer = nullptr;
            recorder.answers.clear();
            Request(WM_SSDOP_SELECT_DEVICE, index, 1);
        }
        recorder.onAnswer = nullptr;
        recorder.answers.clear();
        SimClearJournal();
    }

    // Posts a request that carries a path and dispatches answers until
    // `results` result texts have come and, when `progressLast`, the progress
    // has been set again after the last of them (every road that reached the
    // device ends that way).
    void RunPathRequest(UINT message, const CString& path, size_t results, bool progressLast, DWORD timeoutMs = 20000)
    {
        m_requestPath = path;
        Post(message, reinterpret_cast<WPARAM>(m_requestPath.GetString()));
        bool done = PumpUntil([&] { return Finished(results, progressLast); }, timeoutMs);
        ASSERT_TRUE(done) << "answers so far:\n" << Dump();
        // Anything the request still sends after its end would show here.
        recorder.Pump();
    }

    bool Finished(size_t results, bool progressLast) const
    {
        const std::vector<Answer>& a = recorder.answers;
        if (recorder.Results().size() < results)
            return false;
        return !progressLast || (!a.empty() && a.back().message == WM_SSDOP_PROGRESS && a.back().percent() == 0 &&
                                 a.size() >= 2 && AnswerRecorder::Line(a[a.size() - 2]).compare(0, 7, L"RESULT ") == 0);
    }

    std::string Dump() const
    {
        std::string text;
        for (const std::wstring& line : recorder.Lines())
            text += WideToNarrowString(CString(line.c_str())) + "\n";
        return text;
    }

    // The answers without the progress values.
    std::vector<std::wstring> Texts() const
    {
        std::vector<std::wstring> texts;
        for (const std::wstring& line : recorder.Lines())
            if (line.compare(0, 9, L"PROGRESS ") != 0)
                texts.push_back(line);
        return texts;
    }

    static CString ModuleFile(LPCWSTR name)
    {
        CString folder;
        GetModuleDir(folder);
        return folder + name;
    }

    static std::string Pattern(size_t size, unsigned seed)
    {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 131 + seed) % 251 + 1);
        return bytes;
    }

    static std::string Memory(int drive, DWORD address, DWORD length)
    {
        std::string bytes(length, '\0');
        SimReadMemory(drive, address, length, &bytes[0]);
        return bytes;
    }

    // A file of `size` bytes that takes no room on the disk: for sizes no
    // test should ever write out.
    static void WriteSparseFile(const CString& path, LONGLONG size)
    {
        HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        LARGE_INTEGER end;
        end.QuadPart = size;
        EXPECT_TRUE(::SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
        EXPECT_TRUE(::SetEndOfFile(file));
        ::CloseHandle(file);
    }

    CString m_requestPath;
};
