#pragma once
// Reads a machine description (the text format of sim/README.md) into a
// SimMachine. A description that does not parse gives false and an error
// text naming the line.

#include "SimMachine.h"

#include <string>

class SimMachineParser {
public:
    static bool Parse(const std::string& text, SimMachine& machine, std::string& error);
    // One key of a "drive" line, also used to change a drive later.
    static bool ApplyDriveKey(SimMachine& machine, SimDrive& drive, const std::string& key, const std::string& value,
                              std::string& error);
    static bool ParseNumber(const std::string& text, ULONGLONG& value);
    // "current,worst,raw[,threshold]" of one attribute.
    static bool ParseAttributeValues(const std::string& text, SimAttribute& attribute);
};
