#pragma once
// The program's declarations of the maker's SATA device library, VntAtad.dll,
// imported by name, for SATA disks alone or behind an AHCI controller. Every
// function returns non-zero on success and 0 on failure. Per-drive calls take
// the drive's library index as their LAST argument; VaOpenByInst takes it first.
// Lengths and counts marked WORD are 16-bit. Text is narrow and NUL-terminated.
// The library that implements these functions defines VNTATAD_EXPORTS.

#include <windows.h>

#ifdef VNTATAD_EXPORTS
#define VNTATAD_API __declspec(dllexport)
#else
#define VNTATAD_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Scan: up to 256 disk instances, a flag per disk (non-zero: behind AHCI) and the count.
VNTATAD_API int VaScanDisk(DWORD* devInsts, DWORD* ahciFlags, DWORD* count, BYTE arg0, BYTE arg1);
VNTATAD_API int VaGetAhciController(DWORD diskInst, DWORD* controllerInst);

VNTATAD_API int VaOpenByInst(int index, DWORD devInst);
VNTATAD_API int VaClose(int index);

VNTATAD_API int VaCapacity(ULONGLONG* capacity, int index);
VNTATAD_API int VaGetDiskNum(int* diskNum, int index);
VNTATAD_API int VaGetDevName(char* name, int index);
VNTATAD_API int VaReadCapacity10(char* text, int index);
VNTATAD_API int VaGetPath2(BYTE volume, DWORD* letterIndex, int index);
VNTATAD_API int VaGetWriteCache(int* state, int index);
VNTATAD_API int VaSetWriteCache(int state, int index);

VNTATAD_API int VaIdentify(WORD length, BYTE* buffer, int index);
VNTATAD_API int VaSecurityErase(int index);

// Firmware chunk: offset and size in 512-byte sectors; size 0 without data commits.
VNTATAD_API int VaFwDownload(BYTE mode, WORD offsetSectors, WORD sizeSectors, BYTE* data, int index);
VNTATAD_API int VaFwActivate(int index);
VNTATAD_API int VaGetFWMode(char* text, int index);
VNTATAD_API int VaSetFWMode(BYTE mode, int index);
VNTATAD_API int VaReboot(BYTE mode, int index);
VNTATAD_API int VaEraseNor(BYTE value, int index);

VNTATAD_API int VaReadReg(DWORD address, WORD length, BYTE* buffer, int index);
VNTATAD_API int VaWriteReg(DWORD address, WORD length, BYTE* data, int index);
VNTATAD_API int VaReadBlk(DWORD address, WORD blocks, BYTE* buffer, int index);
VNTATAD_API int VaWriteBlk(DWORD address, WORD blocks, BYTE* data, int index);
VNTATAD_API int VaReadLba(DWORD lba, WORD sectors, BYTE* buffer, int index);
VNTATAD_API int VaWriteLba(DWORD lba, WORD sectors, BYTE* data, int index);
VNTATAD_API int VaRead10(DWORD lba, WORD sectors, BYTE* buffer, int index);
VNTATAD_API int VaWrite10(DWORD lba, WORD sectors, BYTE* data, int index);
VNTATAD_API int VaSychronizeCache10(int index);
VNTATAD_API int VaReady(int index);
VNTATAD_API int VaFunctionTest(int index);
VNTATAD_API int VaGetMaxTxLen(DWORD* maxLength, int index);

VNTATAD_API int VaLLFInit(BYTE arg0, BYTE arg1, int index);
VNTATAD_API int VaLLFAll(int index);
VNTATAD_API int VaLLFResponse(WORD length, BYTE* buffer, int index);
VNTATAD_API int VaLLFSSDInfo(WORD value, WORD length, BYTE* buffer, int index);
VNTATAD_API int VaLLFEraseNand(BYTE value, int index);
VNTATAD_API int VaLLFCalibrate(BYTE arg0, BYTE arg1, int index);
VNTATAD_API int VaLLFExecute(BYTE arg0, BYTE arg1, DWORD arg2, int index);
VNTATAD_API int VaLLFFWUpdate(int index);
VNTATAD_API int VaLLFODBT(BYTE value, int index);
VNTATAD_API int VaLLFReadId(BYTE arg0, BYTE arg1, int index);
VNTATAD_API int VaSelfTest(BYTE item, BYTE blocks, int index);
VNTATAD_API int VaNandReadID(BYTE arg0, BYTE arg1, BYTE arg2, WORD length, BYTE* buffer, int index);

#ifdef __cplusplus
}
#endif
