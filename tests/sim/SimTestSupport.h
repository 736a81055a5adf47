#pragma once
// Helpers for the tests of the simulated machine.

#include "SimControl.h"

#include <gtest/gtest.h>

#include <string>

inline std::string Journal()
{
    int size = SimGetJournal(nullptr, 0);
    std::string text(size + 1, '\0');
    SimGetJournal(&text[0], size + 1);
    text.resize(size);
    return text;
}

inline std::string DriveValue(int drive, const char* key)
{
    char buffer[256] = {};
    if (SimGetDriveValue(drive, key, buffer, sizeof(buffer)) < 0)
        return "<unknown>";
    return buffer;
}

inline std::string LoadError()
{
    char buffer[512] = {};
    SimGetLoadError(buffer, sizeof(buffer));
    return buffer;
}

// Every test starts on the default machine with an empty journal and no knobs.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override { SimResetMachine(); }
    void TearDown() override { SimResetMachine(); }
};
