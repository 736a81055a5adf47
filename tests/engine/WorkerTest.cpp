// The worker's life and request protocol.

#include "EngineFixture.h"

TEST_F(EngineTest, WorkerStartsOnItsOwnThreadAndQuitEndsIt)
{
    StartWorker();
    EXPECT_NE(worker->m_nThreadID, ::GetCurrentThreadId());
    EXPECT_EQ(worker->GetCurrentDevice(), nullptr);
    EXPECT_EQ(worker->m_pCurDevice, nullptr);
    EXPECT_EQ(worker->m_deviceCount, 0u);
}
