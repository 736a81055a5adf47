#pragma once
// Every pause of the device operation engine (the pauses between steps, the
// waits before each poll of the controller, the fixed wait after the format
// starts, the restart waits) goes through EngineWait, so a test can run the
// long sequences in a fraction of their time. The program never changes the
// scale: its waits are real time.

#include <windows.h>

// Sleeps `milliseconds` times the current scale.
void EngineWait(DWORD milliseconds);

// Scale in per-mille of real time: 1000 (the default) is real time, 10 is a
// hundredth, 0 makes every wait return at once. For tests only.
void SetEngineWaitScale(UINT perMille);
UINT GetEngineWaitScale();
