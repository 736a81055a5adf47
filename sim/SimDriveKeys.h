#pragma once
// The drive keys: one table that the "drive" line of a description, the
// tests' SimSetDriveValue and SimGetDriveValue all go through, so a key that
// can be set can always be read back. A new key is one row of the table.

#include "SimMachine.h"

#include <string>

namespace SimDriveKeys {

enum Use {
    SET_ANY,         // the description and SimSetDriveValue
    SET_DESCRIPTION, // the description only: bus, controller, disk stay as loaded
    READ_ONLY,       // state the machine keeps (counters, the job in progress)
};

// Sets a key of a drive from its text. `use` says who sets it: a description
// line may set SET_DESCRIPTION keys, SimSetDriveValue may not. False with the
// reason in `why` for an unknown key, a key not settable here or a bad value.
bool Set(SimMachine& machine, SimDrive& drive, const std::string& key, const std::string& value, bool fromDescription,
         std::string& why);
// A drive value as text: every key of the table and "smart:<id>" (the raw
// value). False for an unknown key or an attribute the drive does not have.
bool Get(const SimMachine& machine, const SimDrive& drive, const std::string& key, std::string& value);

} // namespace SimDriveKeys
