#include "SimLlfScript.h"

#include "SimMachineParser.h"
#include "SimWorld.h"

#include <sstream>

namespace {

// A script longer than this is a mistake in a description, not a test.
const size_t kMaxResponses = 100000;

bool Field(const std::string& text, ULONGLONG limit, ULONGLONG& value)
{
    return SimMachineParser::ParseNumber(text, value) && value <= limit;
}

} // namespace

int SimLlfScript::KindOfKey(const std::string& key)
{
    static const char* const kKeys[SIM_JOB_KINDS] = {nullptr, "llf-init", "llf-all", "llf-erase", "llf-self-test"};
    for (int kind = 1; kind < SIM_JOB_KINDS; ++kind)
        if (key == kKeys[kind])
            return kind;
    return 0;
}

bool SimLlfScript::Parse(const std::string& text, std::vector<SimLlfResponse>& script)
{
    std::vector<SimLlfResponse> parsed;
    std::istringstream items(text);
    std::string item;
    while (items >> item) {
        size_t first = item.find(':');
        size_t second = first == std::string::npos ? first : item.find(':', first + 1);
        if (second == std::string::npos || item.find(':', second + 1) != std::string::npos)
            return false;
        ULONGLONG state = 0, percent = 0, error = 0;
        if (!Field(item.substr(0, first), 0xFF, state) ||
            !Field(item.substr(first + 1, second - first - 1), 0xFF, percent) ||
            !Field(item.substr(second + 1), 0xFFFF, error) || parsed.size() == kMaxResponses)
            return false;
        SimLlfResponse response;
        response.state = static_cast<BYTE>(state);
        response.percent = static_cast<BYTE>(percent);
        response.error = static_cast<WORD>(error);
        parsed.push_back(response);
    }
    script.swap(parsed);
    return true;
}

std::string SimLlfScript::Text(const std::vector<SimLlfResponse>& script)
{
    std::string text;
    for (const SimLlfResponse& r : script)
        text += SimFormat(text.empty() ? "%u:%u:0x%04X" : " %u:%u:0x%04X", r.state, r.percent, r.error);
    return text;
}
