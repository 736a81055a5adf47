#include "SimJournal.h"

void SimJournal::Add(const std::string& line)
{
    m_lines.push_back(line);
    if (m_lines.size() > kMaxLines)
        m_lines.pop_front();
}

std::string SimJournal::Text() const
{
    std::string text;
    for (const std::string& line : m_lines) {
        text += line;
        text += '\n';
    }
    return text;
}
