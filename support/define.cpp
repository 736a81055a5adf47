#include "define.h"

#include <cstdarg>

#include "ConfigIni.h"
#include "FileUtil.h"
#include "Logger.h"
#include "Trace.h"
#include "WideFormat.h"

int g_debugMode = 0;

namespace {
const size_t kMessageBufferUnits = 1024;
// One unit less than the buffer: the finished text holds at most 1022 units.
const size_t kMessageCapacity = 1023;
} // namespace

void DebugPrint(const wchar_t* format, ...)
{
    wchar_t message[kMessageBufferUnits] = {};
    va_list args;
    va_start(args, format);
    // Callers embed outside text (paths, ids, service names): a long message
    // is cut here rather than overrunning or ending the process.
    FormatWideV(message, kMessageCapacity, format, args);
    va_end(args);

    AfxTraceText(message);
    if (g_debugMode != 0) {
        Logger record;
        // As text, not as a format: a "%" in the message stays as it is.
        record.Log(L"%s", message);
    }
}

void InitDebugLog()
{
    g_debugMode = g_pConfigIni != nullptr ? g_pConfigIni->GetBool("AP_SECTION", "DEBUG_MODE", false) : 0;
    if (g_debugMode == 0)
        return;

    CString folder;
    GetModuleDir(folder);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    CString path;
    path.Format(L"%sKestrova_%04d%02d%02d%02d%02d%02d.debug", folder.GetString(), now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
    Logger::Start(path);
}

void CloseDebugLog()
{
    Logger::Close();
}

NvmeHealthField NvmeHealthFieldTable[NVME_HEALTH_FIELD_COUNT] = {
    {1, 0, 1, L"Critical Warning"},
    {2, 1, 2, L"Temperature"},
    {3, 3, 1, L"Available Spare"},
    {4, 4, 1, L"Available Spare Threshold"},
    {5, 5, 1, L"Percentage Used"},
    {6, 32, 16, L"Data Units Read"},
    {7, 48, 16, L"Data Units Written:"},
    {8, 64, 16, L"Host Read Commands"},
    {9, 80, 16, L"Host Write Commands"},
    {10, 96, 16, L"Controller Busy Time"},
    {11, 112, 16, L"Power Cycles"},
    {12, 128, 16, L"Power On Hours"},
    {13, 144, 16, L"Unsafe Shutdowns"},
    {14, 160, 16, L"Media Errors"},
    {15, 176, 16, L"Number of Error Information Log Entries"},
    {-1, 0, 0, L""},
};
