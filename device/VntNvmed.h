#pragma once
// The program's declarations of the maker's NVMe device library, VntNvmed.dll,
// imported by name. Every function returns non-zero on success and 0 on failure.
// Per-drive calls take the drive's library index (its position in the last
// NvmeScanController array) as their LAST argument; NvmeOpenByInst takes it
// first. Buffers belong to the caller; text is narrow and NUL-terminated.
// The library that implements these functions defines VNTNVMED_EXPORTS.

#include <windows.h>

#ifdef VNTNVMED_EXPORTS
#define VNTNVMED_API __declspec(dllexport)
#else
#define VNTNVMED_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Scan: fills up to 256 device instances of the maker's controllers and their count.
VNTNVMED_API int NvmeScanController(DWORD* devInsts, DWORD* count, BYTE arg0, BYTE arg1);

VNTNVMED_API int NvmeOpenByInst(int index, DWORD devInst);
VNTNVMED_API int NvmeClose(int index);

// Identify Controller (4096 bytes) and Identify Namespace (4096 bytes).
VNTNVMED_API int NvmeStatus(DWORD arg0, DWORD length, BYTE* buffer, int index);
VNTNVMED_API int NvmeStatusLun(DWORD arg0, DWORD arg1, DWORD length, BYTE* buffer, int index);
VNTNVMED_API int NvmeGetFeature(BYTE feature, DWORD length, BYTE* buffer, DWORD* dword0, int index);
VNTNVMED_API int NvmeReadPcieConfigSpace(DWORD offset, DWORD length, BYTE* buffer, int index);

VNTNVMED_API int NvmeCapacity(ULONGLONG* capacity, int index);
VNTNVMED_API int NvmeGetDiskNum(int* diskNum, int index);
VNTNVMED_API int NvmeGetDevName(char* name, int index);
// READ CAPACITY (10) data as blank-separated hexadecimal byte pairs (buffer of 260).
VNTNVMED_API int NvmeReadCapacity10(char* text, int index);
// Non-zero when the disk holds volume `volume` (0..25); its letter is 'A' + *letterIndex.
VNTNVMED_API int NvmeGetPath2(BYTE volume, DWORD* letterIndex, int index);
VNTNVMED_API int NvmeGetWriteCache(int* state, int index);
VNTNVMED_API int NvmeSetWriteCache(int state, int index);

VNTNVMED_API int NvmeSmartLog(DWORD length, BYTE* buffer, int index);
VNTNVMED_API int NvmeIdentify(BYTE* buffer, DWORD length, int index);
VNTNVMED_API int NvmeFormat(int index);

// Firmware chunk: offset and size in 32-bit words.
VNTNVMED_API int NvmeFwDownload2(DWORD offsetWords, DWORD sizeWords, BYTE* data, int index);
VNTNVMED_API int NvmeFwActivate(BYTE arg0, BYTE arg1, int index);
// Mode text (256 bytes) containing "llf mode" while in low-level-format mode.
VNTNVMED_API int NvmeGetFwMode(char* text, int index);
VNTNVMED_API int NvmeSetFwMode(BYTE mode, int index);
VNTNVMED_API int NvmeReboot(BYTE mode, int index);
VNTNVMED_API int NvmeEraseNor(BYTE value, int index);

// Controller registers (little-endian) and controller memory in 512-byte blocks.
VNTNVMED_API int NvmeReadReg(DWORD address, DWORD length, BYTE* buffer, int index);
VNTNVMED_API int NvmeWriteReg(DWORD address, DWORD length, BYTE* data, int index);
VNTNVMED_API int NvmeReadBlk(DWORD address, DWORD blocks, DWORD length, BYTE* buffer, int index);
VNTNVMED_API int NvmeWriteBlk(DWORD address, DWORD blocks, DWORD length, BYTE* data, int index);
// Medium sectors of 512 bytes.
VNTNVMED_API int NvmeReadLba(DWORD lba, DWORD sectors, DWORD length, BYTE* buffer, int index);
VNTNVMED_API int NvmeRead10(DWORD lba, DWORD sectors, DWORD length, BYTE* buffer, int index);
VNTNVMED_API int NvmeWrite10(DWORD lba, DWORD sectors, DWORD length, BYTE* data, int index);
VNTNVMED_API int NvmeSychronizeCache10(int index);
VNTNVMED_API int NvmeReady(int index);
VNTNVMED_API int NvmeFunctionTest(int index);
VNTNVMED_API int NvmeGetMaxTxLen(DWORD* maxLength, int index);

// Low-level format. Response: byte 0 state, byte 1 percent, bytes 2..3 error code.
VNTNVMED_API int NvmeLlfInit(BYTE arg0, BYTE arg1, int index);
VNTNVMED_API int NvmeLlfAll(int index);
VNTNVMED_API int NvmeLlfResp(DWORD length, BYTE* buffer, int index);
VNTNVMED_API int NvmeLlfSsdInfo(WORD value, DWORD length, BYTE* buffer, int index);
VNTNVMED_API int NvmeLlfEraseNand(BYTE value, int index);
VNTNVMED_API int NvmeLlfCalibrate(BYTE arg0, BYTE arg1, int index);
VNTNVMED_API int NvmeLlfExecute(BYTE arg0, BYTE arg1, DWORD arg2, int index);
VNTNVMED_API int NvmeLlfFwUpdate(int index);
VNTNVMED_API int NvmeLlfOdbt(BYTE value, int index);
VNTNVMED_API int NvmeLlfReadId(BYTE arg0, BYTE arg1, int index);
VNTNVMED_API int NvmeSelfTest(BYTE item, BYTE blocks, int index);
// Flash id: bytes 0..7 of the buffer.
VNTNVMED_API int NvmeNandReadId(BYTE arg0, BYTE arg1, BYTE arg2, DWORD length, BYTE* buffer, int index);

// Clock-mode switch: no index; the program passes 0.
VNTNVMED_API int NvmeSwitchSpeed(DWORD value);
// Writes "config.bin" from a low-level-format "config.ini"; no index.
VNTNVMED_API int NvmeConfigToBin(const char* iniPath, const char* binPath);

#ifdef __cplusplus
}
#endif
