#pragma once
// The drive commands of the stand-in device libraries, answered by
// KestrovaSim.dll from the simulated machine. VntNvmed.dll and VntAtad.dll
// export the maker's names; each journals its call (SimLibBegin), honours
// the fault knobs and passes the work on to one of these commands, which take
// the library, the drive's library index and byte sizes.
//
// On a machine described with "machine strict-open=1" every per-drive
// command returns 0 unless the drive was opened with that library index and
// is still open; otherwise only the drive's open count tells.

#include "SimControl.h"

#include <windows.h>

#define SIM_LIB_NVME 0
#define SIM_LIB_ATA 1

// Jobs a controller answers through the response call.
#define SIM_JOB_LLF_INIT 1
#define SIM_JOB_LLF_ALL 2
#define SIM_JOB_ERASE_NAND 3
#define SIM_JOB_SELF_TEST 4

#ifdef __cplusplus
extern "C" {
#endif

// Journals "function(arguments)" and returns the fault to apply: 0 none,
// SIM_FAULT_FAIL or SIM_FAULT_CORRUPT. index < 0: the call names no drive.
SIMAPI int SimLibBegin(const char* function, int library, int index, const char* arguments);
// Ends the call begun last on this thread: waits out its latency knob, after
// the call's work and before its answer goes back.
SIMAPI void SimLibEnd(void);

SIMAPI int SimLibScan(int library, DWORD* devInsts, DWORD* ahciFlags, DWORD* count);
SIMAPI int SimLibAhciController(DWORD diskInst, DWORD* controllerInst);
SIMAPI int SimLibOpen(int library, int index, DWORD devInst);
SIMAPI int SimLibClose(int library, int index);

SIMAPI int SimLibCapacity(int library, int index, ULONGLONG* capacity);
SIMAPI int SimLibDiskNum(int library, int index, int* diskNum);
SIMAPI int SimLibDevName(int library, int index, char* name, DWORD size);
SIMAPI int SimLibReadCapacity10(int library, int index, char* text, DWORD size);
SIMAPI int SimLibGetPath2(int library, int index, BYTE volume, DWORD* letterIndex);
SIMAPI int SimLibGetWriteCache(int library, int index, int* state);
SIMAPI int SimLibSetWriteCache(int library, int index, int state);

SIMAPI int SimLibIdentifyController(int library, int index, DWORD length, BYTE* buffer);
SIMAPI int SimLibIdentifyNamespace(int library, int index, DWORD length, BYTE* buffer);
SIMAPI int SimLibGetFeature(int library, int index, BYTE feature, DWORD length, BYTE* buffer, DWORD* dword0);
SIMAPI int SimLibPcieConfig(int library, int index, DWORD offset, DWORD length, BYTE* buffer);
SIMAPI int SimLibSmartLog(int library, int index, DWORD length, BYTE* buffer);
SIMAPI int SimLibAtaIdentify(int library, int index, DWORD length, BYTE* buffer);
SIMAPI int SimLibFormat(int library, int index);

// Firmware: a chunk at a byte offset; size 0 without data commits.
SIMAPI int SimLibFwDownload(int library, int index, DWORD offset, DWORD size, const BYTE* data);
SIMAPI int SimLibFwActivate(int library, int index);
SIMAPI int SimLibGetFwMode(int library, int index, char* text, DWORD size);
SIMAPI int SimLibSetFwMode(int library, int index, BYTE mode);
SIMAPI int SimLibReboot(int library, int index, BYTE mode);
SIMAPI int SimLibEraseNor(int library, int index, BYTE value);

// Controller space (registers and memory) and the medium.
SIMAPI int SimLibReadSpace(int library, int index, DWORD address, DWORD length, BYTE* buffer);
SIMAPI int SimLibWriteSpace(int library, int index, DWORD address, DWORD length, const BYTE* data);
SIMAPI int SimLibReadMedium(int library, int index, DWORD lba, DWORD sectors, BYTE* buffer);
SIMAPI int SimLibWriteMedium(int library, int index, DWORD lba, DWORD sectors, const BYTE* data);

SIMAPI int SimLibStartJob(int library, int index, int job);
SIMAPI int SimLibJobResponse(int library, int index, DWORD length, BYTE* buffer);
SIMAPI int SimLibSsdInfo(int library, int index, DWORD length, BYTE* buffer);
SIMAPI int SimLibFlashId(int library, int index, DWORD length, BYTE* buffer);
SIMAPI int SimLibMaxTxLen(int library, int index, DWORD* maxLength);
// A command with no effect on the model: succeeds while the drive is open.
SIMAPI int SimLibPlain(int library, int index);

SIMAPI int SimLibSwitchSpeed(void);
SIMAPI int SimLibConfigToBin(const char* iniPath, const char* binPath);

#ifdef __cplusplus
}
#endif
