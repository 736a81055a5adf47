#pragma once
// Test control of the simulated machine (KestrovaSim.dll).
//
// The simulated machine is one model per process: the stand-in device
// libraries (VntNvmed.dll, VntAtad.dll) and the program's platform seam all
// answer from it. Tests load a machine, run the code under test, then read
// the journal of the calls the machine answered and the state it ended in.
//
// Drives are numbered from 0 in the order of the "drive" lines of the machine
// description (see sim/README.md). The NVMe library reports the NVMe drives in
// that order and the SATA library the SATA drives, so a drive's library index
// is its position among the drives of its own library.
//
// Journal: one narrow text line per call answered, the call's name followed
// by its arguments in parentheses, for example
//     NvmeFwDownload2(16384, 16384, <data>, 0)
//     CM_Get_Parent(<out>, 0x1003, 0)
//     CreateFileW("\\.\PhysicalDrive1", 0xc0000000, 3, <null>, 3, 0x4, <null>)
// Numbers (addresses included) are decimal, device nodes and flags
// hexadecimal with "0x", narrow
// and wide texts in double quotes, buffers the call fills "<buf>" or "<out>",
// buffers it reads "<data>", null pointers "<null>". Arguments appear in the
// order of the function's signature, the library index last as the libraries
// take it. The journal keeps the last 20000 lines.
//
// Fault knobs: a knob names one function (the exact export or seam name) and
// a drive number or SIM_ANY_DRIVE. Calls that concern no drive (most device
// tree calls) match only SIM_ANY_DRIVE knobs. A knob lets its first
// `afterCalls` matching calls through, then acts on the next `times` calls
// (0 = on every later call):
//   SIM_FAULT_FAIL     the call fails: library calls return 0, seam calls
//                      return their failure value with a fitting last error
//                      (ERROR_GEN_FAILURE) or CR_FAILURE;
//   SIM_FAULT_CORRUPT  the call succeeds but every byte it returns is
//                      inverted (data it stores is inverted too).
//
// Latency knobs (a slow drive): see SimSetLatency. A delayed call is journaled
// when it starts and does its work at once (a library call or seam call
// answers from the machine as it is then and fills the caller's buffers);
// the delay falls after that work and before the call returns to its caller,
// and no lock of the machine is held while it lasts.

#include <windows.h>

#ifdef KESTROVA_SIM_BUILD
#define SIMAPI __declspec(dllexport)
#else
#define SIMAPI __declspec(dllimport)
#endif

#define SIM_ANY_DRIVE (-1)
#define SIM_FAULT_FAIL 1
#define SIM_FAULT_CORRUPT 2
#define SIM_LATENCY_HOLD (-1)

#ifdef __cplusplus
extern "C" {
#endif

// Machine. A description that does not parse leaves the current machine as
// it was and returns 0; SimGetLoadError then says where and why. Loading or
// resetting also clears the journal and every fault and latency knob.
SIMAPI int SimLoadMachineText(const char* text);
SIMAPI int SimLoadMachineFile(const wchar_t* path);
SIMAPI void SimResetMachine(void);
SIMAPI int SimGetLoadError(char* buffer, int size);
// The built-in default machine's description text (what SimResetMachine loads).
SIMAPI const char* SimDefaultMachineText(void);

// Journal: all lines, each ending in "\n". Returns the full length of the
// text; at most size - 1 characters are copied, always NUL-terminated.
SIMAPI int SimGetJournal(char* buffer, int size);
SIMAPI void SimClearJournal(void);

// Fault knobs (see above). SimClearFaults removes the latency knobs too.
SIMAPI void SimSetFault(const char* function, int drive, int mode, int afterCalls, int times);
SIMAPI void SimClearFaults(void);

// Latency knobs: every later call of `function` (the exact export or seam name, as in the
// journal; NULL or "" = every call) that concerns `drive` (or any drive: SIM_ANY_DRIVE)
// returns `milliseconds` later than it would. The call is journaled when it starts; the
// wait holds no lock of the machine, so calls on other threads (another drive, the device
// tree, the control functions) go on meanwhile. SIM_LATENCY_HOLD holds each such call until
// SimReleaseHeldCalls. 0 removes the knob. Loading or resetting a machine and
// SimClearFaults remove every latency knob too (releasing whatever is held).
// A knob set again for the same function and drive replaces the earlier one;
// where several knobs meet a call, a hold wins, else the longest time. Other
// negative times are ignored. Removing the knobs also ends the timed waits
// that are running.
SIMAPI void SimSetLatency(const char* function, int drive, int milliseconds);
// Waits until at least one call is being held (1), or `timeoutMs` passed (0).
SIMAPI int SimWaitForHeldCall(int timeoutMs);
// Lets every held call go on and removes the SIM_LATENCY_HOLD knobs, so later calls pass.
SIMAPI void SimReleaseHeldCalls(void);

// Model state of one drive.
SIMAPI int SimGetDriveCount(void);
// A drive value by the key of its "drive" line in the description, or one of
// the state keys: "write-cache", "fw-mode" ("LLF mode" / "Normal mode"),
// "fw-staged" (bytes downloaded), "fw-commits" (zero-length commits),
// "fw-activations", "reboots", "nor-erased", "formats", "switches",
// "llf-started", "smart-reads", "llf-job" (kind of the running job: "none",
// "init", "all", "erase", "self-test"), "llf-answered" (responses the job
// gave), "smart:<id>" (raw value of an attribute, id
// decimal or 0x..). Returns the full length of the text, or -1 for an
// unknown drive or key.
SIMAPI int SimGetDriveValue(int drive, const char* key, char* buffer, int size);
// Changes a drive value by the same keys as the "drive" line, from the same
// table, so whatever is set reads back with SimGetDriveValue; and
// "smart:<id>" = "current,worst,raw[,threshold]". "bus", "controller" and
// "disk" stay as the description placed the drive, and the state keys are
// read only. Returns 0 for an unknown drive, key or value (the value stays).
SIMAPI int SimSetDriveValue(int drive, const char* key, const char* value);
// Byte regions of a drive: the medium (512-byte sectors, zero where never
// written), controller memory (byte address, zero where never written) and
// the firmware staging area (bytes downloaded so far, by image offset).
// Each returns 1, or 0 for an unknown drive.
SIMAPI int SimReadLba(int drive, unsigned lba, unsigned sectors, void* buffer);
SIMAPI int SimWriteLba(int drive, unsigned lba, unsigned sectors, const void* data);
SIMAPI int SimReadMemory(int drive, unsigned address, unsigned length, void* buffer);
SIMAPI int SimWriteMemory(int drive, unsigned address, unsigned length, const void* data);
SIMAPI int SimReadFwStaging(int drive, unsigned offset, unsigned length, void* buffer);
// Whether the device node of that name (as the description names it) is
// enabled: 1, 0 after a disable through the class installer, -1 for no such node.
SIMAPI int SimGetNodeEnabled(const char* name);
// Number of open library connections of a drive (open calls minus closes).
SIMAPI int SimGetOpenCount(int drive);
// Device handles the seam's CreateFileW gave out and its CloseHandle has not
// taken back, and device information sets not yet destroyed: what the program
// holds of the seam at this moment.
SIMAPI int SimGetOpenDeviceHandleCount(void);
SIMAPI int SimGetOpenDeviceInfoSetCount(void);

#ifdef __cplusplus
}
#endif
