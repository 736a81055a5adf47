#pragma once
// The journal of the calls the simulated machine answered: one narrow line
// per call, the oldest dropped once it holds kMaxLines.

#include <deque>
#include <string>

class SimJournal {
public:
    static const size_t kMaxLines = 20000;

    void Add(const std::string& line);
    void Clear() { m_lines.clear(); }
    std::string Text() const;

private:
    std::deque<std::string> m_lines;
};
