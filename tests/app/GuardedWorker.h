#pragma once
// The worker object of the in-process window tests lives in pages of its own,
// decommitted when the worker deletes itself: whatever touches it afterwards
// faults at once instead of reading memory that merely looks freed.

#include <windows.h>

// The next worker the calling thread makes (the main window's constructor
// starts it) is guarded.
void GuardNextWorker();

// Waits until the guarded worker has deleted itself; TRUE when it has.
bool WaitForGuardedWorkerDeleted(DWORD timeoutMs);
