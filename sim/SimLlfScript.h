#pragma once
// Scripted low-level-format responses: the drive keys "llf-init", "llf-all",
// "llf-erase" and "llf-self-test", each a list of STATE:PERCENT:ERROR items
// separated by blanks, e.g. "1:10:0 1:60:0 0:100:0".

#include "SimMachine.h"

#include <string>
#include <vector>

namespace SimLlfScript {

// The job kind a drive key names (SIM_JOB_* of SimLibrary.h), 0 for another key.
int KindOfKey(const std::string& key);
// Parses a script; an empty text gives an empty script. False for bad text.
bool Parse(const std::string& text, std::vector<SimLlfResponse>& script);
// A script in the form Parse reads.
std::string Text(const std::vector<SimLlfResponse>& script);

} // namespace SimLlfScript
