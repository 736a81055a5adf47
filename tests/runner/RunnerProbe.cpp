// Programs that end badly, one per test, for the runner's own check: each is
// run alone by its filter and must be reported as failed (all but Passes).
// Disabled, so that a plain start of the program runs none of them.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

TEST(RunnerProbe, DISABLED_Passes) {}

TEST(RunnerProbe, DISABLED_Fails)
{
    ADD_FAILURE() << "a deliberate failure";
}

TEST(RunnerProbe, DISABLED_Crashes)
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

TEST(RunnerProbe, DISABLED_Hangs)
{
    ::Sleep(INFINITE);
}

TEST(RunnerProbe, DISABLED_LeavesEarly)
{
    std::exit(0);
}

// Says that it runs, then waits for its Wine server to be ended under it.
TEST(RunnerProbe, DISABLED_OutlivesItsServer)
{
    std::printf("waiting for the server to end\n");
    std::fflush(stdout);
    ::Sleep(60000);
}

} // namespace
