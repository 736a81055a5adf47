// Firmware download: one image file for the older controller families, an
// image assembled from five files for the newer ones, sent in 64 KiB chunks
// and then committed or activated.

#include "SSDOpThread.h"

#include <cstring>

#include "LlfLimits.h"
#include "ScopedDriveOpen.h"
#include "ScopedHeapBlock.h"
#include "define.h"

namespace {

const UINT kImageSize = 1048576;
const UINT kChunkSize = 65536;
const UINT kTableBlockSize = 16384;
// The largest code file whose image (code and table block) fits the buffer.
const ULONGLONG kMaxCodeSize = kImageSize - kTableBlockSize;

// The five files of an image, in the order they are looked for and read.
enum FwFile { FW_CODE, FW_PARSER, FW_SEQUENCER, FW_INDEX, FW_SEED, FW_FILES };
const LPCWSTR kFwFileNames[FW_FILES] = {L"bank_imem.ram", L"parser_table.bin", L"sequencer_table.bin",
                                        L"parser_sequencer_index_table.bin", L"seed_table.bin"};

// Whether the four tables fit the table block: each starts where the previous
// one's size rounded to whole blocks ends; the last needs only its own size.
bool TablesFit(const ULONGLONG* sizes)
{
    ULONGLONG end = LlfRoundToBlocks(sizes[FW_PARSER]) + LlfRoundToBlocks(sizes[FW_SEQUENCER]) +
                    LlfRoundToBlocks(sizes[FW_INDEX]) + sizes[FW_SEED];
    return end <= kTableBlockSize;
}

} // namespace

void CSSDOpThread::OnUpdateFw(WPARAM path, LPARAM)
{
    // The page's buffer may change once the request is taken: work on a copy,
    // made first thing (and only while the window is open).
    CString pathText;
    OperationLock operation(this, L"CSSDOpThread::OnUpdateFw", path, &pathText);
    if (!operation.Acquired())
        return;
    VntSSD* device = GetRequestDevice();
    if (!device) {
        PostInfoMessage(INFO_KIND_RESULT, L"No device!");
        return;
    }
    switch (device->m_icVersion) {
    case IC_NVME_6E40:
    case IC_VX1100:
        UpdateFw(pathText);
        break;
    case IC_NVME_6E42:
    case IC_VX1200:
    case IC_VX1300:
        UpdateFwForVX1200(pathText);
        break;
    default:
        break;
    }
}

BOOL CSSDOpThread::UpdateFw(CString filePath)
{
    if (filePath.IsEmpty()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Please select the bin file first!");
        return FALSE;
    }
    ScopedHeapBlock image(kImageSize);
    if (!image.IsValid()) {
        PostInfoMessage(INFO_KIND_RESULT, L"System fail");
        return FALSE;
    }
    BOOL result = SendSingleImage(filePath, image.As<BYTE>());
    SetProgress(0);
    return result;
}

BOOL CSSDOpThread::SendSingleImage(const CString& filePath, BYTE* image)
{
    if (!ReadFileData(filePath, image, kImageSize)) {
        PostInfoMessage(INFO_KIND_RESULT, L"Read firmware file fail");
        return FALSE;
    }
    VntSSD* device = GetRequestDevice();
    ScopedDriveOpen drive(device);
    if (!drive.Open()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Device operation fail");
        return FALSE;
    }
    PostInfoMessage(INFO_KIND_STATUS, L"Downloading firmware");
    BOOL sent = TRUE;
    for (UINT offset = 0; offset < kImageSize; offset += kChunkSize) {
        sent = device->DeviceFwDownload(offset, kChunkSize, image + offset);
        if (!sent) {
            PostInfoMessage(INFO_KIND_RESULT, L"Download firmware fail");
            return FALSE;
        }
        SetProgress(static_cast<int>((offset + kChunkSize) * 100ULL / kImageSize));
        DebugPrint(L"dwSize: %d, pBuffer + dwSize: %p....\n", offset + kChunkSize, image + offset + kChunkSize);
    }
    BOOL committed = sent;
    if (device->m_busType == BUS_TYPE_SATA) {
        committed = device->DeviceFwDownload(kImageSize, 0, nullptr);
        DebugPrint(L"dwSize: %d, bResult: %d....\n", kImageSize, committed);
    } else if (device->m_busType == BUS_TYPE_NVME) {
        DebugPrint(L"Active fw....\n");
        committed = device->DeviceFwActivate(1, 2);
    }
    PostInfoMessage(INFO_KIND_RESULT, committed
                                          ? L"Firmware update succeed! Please shutdown and restart to take effect."
                                          : L"Active the new firmware fail");
    return committed;
}

BOOL CSSDOpThread::UpdateFwForVX1200(CString folder)
{
    // Without a folder the five names would be read from the current folder.
    if (folder.IsEmpty()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Please select the bin file first!");
        return FALSE;
    }
    CString paths[FW_FILES];
    ULONGLONG sizes[FW_FILES] = {};
    for (int i = 0; i < FW_FILES; ++i) {
        paths[i] = folder + kFwFileNames[i];
        if (!GetFileLength(paths[i], &sizes[i])) {
            PostInfoMessage(INFO_KIND_RESULT, L"Read firmware file fail");
            return FALSE;
        }
    }
    // Limits first, so an oversized or empty file is refused before any read.
    bool fits = sizes[FW_CODE] <= kMaxCodeSize && TablesFit(sizes);
    for (int i = 0; i < FW_FILES; ++i)
        fits = fits && sizes[i] != 0;
    if (!fits) {
        PostInfoMessage(INFO_KIND_RESULT, L"Read firmware file fail");
        SetProgress(0);
        return FALSE;
    }
    BOOL result = SendFiveFileImage(paths, sizes);
    SetProgress(0);
    return result;
}

BOOL CSSDOpThread::SendFiveFileImage(const CString* paths, const ULONGLONG* sizes)
{
    // Every size is within the limits checked above, so each fits 32 bits.
    ScopedHeapBlock files[FW_FILES] = {
        ScopedHeapBlock(static_cast<SIZE_T>(LlfRoundToBlocks(sizes[FW_CODE]))),
        ScopedHeapBlock(static_cast<SIZE_T>(LlfRoundToBlocks(sizes[FW_PARSER]))),
        ScopedHeapBlock(static_cast<SIZE_T>(LlfRoundToBlocks(sizes[FW_SEQUENCER]))),
        ScopedHeapBlock(static_cast<SIZE_T>(LlfRoundToBlocks(sizes[FW_INDEX]))),
        ScopedHeapBlock(static_cast<SIZE_T>(LlfRoundToBlocks(sizes[FW_SEED]))),
    };
    for (int i = 0; i < FW_FILES; ++i) {
        if (!files[i].IsValid() || !ReadFileData(paths[i], files[i].Get(), static_cast<UINT>(sizes[i]))) {
            PostInfoMessage(INFO_KIND_RESULT, L"Read firmware file fail");
            return FALSE;
        }
    }
    ScopedHeapBlock image(kImageSize);
    if (!image.IsValid()) {
        PostInfoMessage(INFO_KIND_RESULT, L"System fail");
        return FALSE;
    }
    BYTE* data = image.As<BYTE>();
    UINT codeSize = static_cast<UINT>(sizes[FW_CODE]);
    std::memcpy(data, files[FW_CODE].Get(), codeSize);
    // The table block follows the code directly; each table starts at the
    // previous one's end rounded to whole blocks.
    BYTE* tables = data + codeSize;
    UINT at = 0;
    for (int i = FW_PARSER; i <= FW_SEED; ++i) {
        UINT length = static_cast<UINT>(i == FW_SEED ? sizes[i] : LlfRoundToBlocks(sizes[i]));
        std::memcpy(tables + at, files[i].Get(), length);
        at += length;
    }
    return SendAssembledImage(data, codeSize + kTableBlockSize);
}

BOOL CSSDOpThread::SendAssembledImage(BYTE* image, UINT total)
{
    VntSSD* device = GetRequestDevice();
    ScopedDriveOpen drive(device);
    if (!drive.Open()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Device operation fail");
        return FALSE;
    }
    PostInfoMessage(INFO_KIND_STATUS, L"Downloading firmware");
    UINT count = (total + kChunkSize - 1) / kChunkSize;
    UINT sentBytes = 0;
    for (UINT i = 0; i < count; ++i) {
        UINT offset = i * kChunkSize;
        UINT length = total - offset < kChunkSize ? total - offset : kChunkSize;
        DebugPrint(L"%s -> offset: 0x%08x, dataSize: 0x%08x, pBuffer: 0x%08x\n", L"CSSDOpThread::UpdateFwForVX1200",
                   offset, length, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(image + offset)));
        if (!device->DeviceFwDownload(offset, length, image + offset)) {
            PostInfoMessage(INFO_KIND_RESULT, L"Download firmware fail");
            return FALSE;
        }
        sentBytes += length;
        SetProgress(static_cast<int>(i * 100 / count));
    }
    BOOL committed = device->DeviceFwDownload(sentBytes, 0, nullptr);
    DebugPrint(L"dwSize: %d, bResult: %d....\n", sentBytes, committed);
    PostInfoMessage(INFO_KIND_RESULT, committed
                                          ? L"Firmware update succeed! Please shutdown and restart to take effect."
                                          : L"Active the new firmware fail");
    return committed;
}
