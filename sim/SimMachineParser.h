#pragma once
// Reads a machine description (the text format of sim/README.md) into a
// SimMachine. A description that does not parse, or that describes a machine
// no one can have, gives false and an error text naming the line and the key.

#include "SimMachine.h"

#include <string>
#include <vector>

class SimMachineParser {
public:
    static const size_t kMaxAttributes = 30;

    static bool Parse(const std::string& text, SimMachine& machine, std::string& error);

    // A number: decimal digits, or hexadecimal digits after "0x"; nothing
    // before or after them, and it must fit 64 bits.
    static bool ParseNumber(const std::string& text, ULONGLONG& value);
    // A number from min to max; false with the reason in `why`.
    static bool ParseNumberIn(const std::string& text, ULONGLONG min, ULONGLONG max, ULONGLONG& value,
                              std::string& why);
    // Pairs of hex digits, optionally separated by blanks, ':' or '-'.
    static bool ParseHexBytes(const std::string& text, std::vector<BYTE>& bytes);
    // "current,worst,raw[,threshold]" (or with ':') of one attribute.
    static bool ParseAttributeValues(const std::string& text, SimAttribute& attribute, std::string& why);
    // "ID:CURRENT:WORST:RAW[:THRESHOLD] ..." of a drive, each id once.
    static bool ParseAttributes(const std::string& text, std::vector<SimAttribute>& attributes, std::string& why);
    // The attributes in the form ParseAttributes reads.
    static std::string AttributesText(const std::vector<SimAttribute>& attributes);
};
