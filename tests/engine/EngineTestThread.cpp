// The test worker's run-time class and its one request more.

#include "EngineFixture.h"

IMPLEMENT_DYNCREATE(TestOpThread, CSSDOpThread)

BEGIN_MESSAGE_MAP(TestOpThread, CSSDOpThread)
ON_THREAD_MESSAGE(WM_TEST_BARRIER, OnBarrier)
END_MESSAGE_MAP()
