#include "IniFile.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ext/stdio_filebuf.h>
#include <istream>
#include <ostream>

namespace {

const size_t kNumberTextBytes = 2048;

std::string Printed(const char* format, ...)
{
    char text[kNumberTextBytes] = {};
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

bool IsPrintableAscii(unsigned char byte)
{
    return byte >= 0x20 && byte <= 0x7E;
}

// The store's own meaning of a number: base 0 (0x hexadecimal, leading 0
// octal), taken as unsigned and returned as a signed 32-bit value.
int NumberOf(const std::string& text)
{
    return static_cast<int>(std::strtoul(text.c_str(), nullptr, 0));
}

unsigned HexOf(const std::string& text)
{
    unsigned value = 0;
    sscanf(text.c_str(), "0x%x", &value);
    return value;
}

} // namespace

CIniFile::CIniFile(CString path) : m_appendOnSet(false), m_caseInsensitive(true), m_path(path) {}

CIniFile::~CIniFile() {}

void CIniFile::Clear()
{
    m_sectionNames.clear();
    m_sections.clear();
    m_headerComments.clear();
}

std::string CIniFile::NormalizeCase(std::string s)
{
    if (!m_caseInsensitive)
        return s;
    // Only A to Z change: bytes from 0x80 up stay as they are.
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

void CIniFile::SkipBom(std::istream& in)
{
    char bytes[3] = {};
    in.read(bytes, 3);
    if (in.gcount() == 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
        return;
    in.clear();
    in.seekg(0, std::ios::beg);
}

bool CIniFile::Read()
{
    FILE* file = ::_wfopen(m_path, L"r");
    if (file == nullptr)
        return false;
    bool ok = true;
    {
        __gnu_cxx::stdio_filebuf<char> buffer(file, std::ios::in);
        std::istream in(&buffer);
        SkipBom(in);
        std::string currentSection;
        std::string line;
        while (std::getline(in, line)) {
            if (!ReadLine(line, currentSection)) {
                ok = false;
                break;
            }
        }
    }
    fclose(file);
    return ok && !m_sectionNames.empty();
}

// One line of the file; false when the line stops the read.
bool CIniFile::ReadLine(std::string line, std::string& currentSection)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty())
        return true;
    if (!IsPrintableAscii(static_cast<unsigned char>(line[0]))) {
        printf("Failing on char %d\n", static_cast<int>(static_cast<signed char>(line[0])));
        return false;
    }

    size_t mark = line.find_first_of(";#[=");
    if (mark == std::string::npos) {
        SetValue(currentSection, line, "", true);
    } else if (line[mark] == ';' || line[mark] == '#') {
        std::string comment = line.substr(mark + 1);
        if (!m_sectionNames.empty())
            AddSectionComment(currentSection, comment);
        else
            AddHeaderComment(comment);
    } else if (line[mark] == '=') {
        SetValue(currentSection, line.substr(0, mark), line.substr(mark + 1), true);
    } else {
        size_t close = line.rfind(']');
        if (close != std::string::npos && close > mark) {
            currentSection = line.substr(mark + 1, close - mark - 1);
            AddSection(currentSection);
        }
    }
    return true;
}

bool CIniFile::Write()
{
    FILE* file = ::_wfopen(m_path, L"w");
    if (file == nullptr)
        return false;
    {
        __gnu_cxx::stdio_filebuf<char> buffer(file, std::ios::out);
        std::ostream out(&buffer);
        for (const std::string& comment : m_headerComments)
            out << ';' << comment << '\n';
        if (!m_headerComments.empty())
            out << '\n';
        for (size_t i = 0; i < m_sections.size(); ++i) {
            const Section& section = m_sections[i];
            out << '[' << m_sectionNames[i] << "]\n";
            for (const std::string& comment : section.comments)
                out << ';' << comment << '\n';
            for (size_t v = 0; v < section.names.size(); ++v) {
                out << section.names[v];
                if (!section.values[v].empty())
                    out << '=' << section.values[v];
                out << '\n';
            }
            out << '\n';
        }
        out.flush();
    }
    fclose(file);
    return true;
}

CIniFile::Section* CIniFile::SectionAt(unsigned index)
{
    return index < m_sections.size() ? &m_sections[index] : nullptr;
}

int CIniFile::FindSection(std::string name)
{
    std::string wanted = NormalizeCase(name);
    for (size_t i = 0; i < m_sectionNames.size(); ++i) {
        if (NormalizeCase(m_sectionNames[i]) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

int CIniFile::FindValue(unsigned sectionIndex, std::string name)
{
    Section* section = SectionAt(sectionIndex);
    if (section == nullptr)
        return -1;
    std::string wanted = NormalizeCase(name);
    for (size_t i = 0; i < section->names.size(); ++i) {
        if (NormalizeCase(section->names[i]) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

int CIniFile::AddSection(std::string name)
{
    m_sectionNames.push_back(name);
    m_sections.push_back(Section());
    return static_cast<int>(m_sectionNames.size() - 1);
}

std::string CIniFile::GetSectionName(unsigned index)
{
    return index < m_sectionNames.size() ? m_sectionNames[index] : std::string();
}

bool CIniFile::DeleteSection(std::string name)
{
    int index = FindSection(name);
    if (index < 0)
        return false;
    m_sectionNames.erase(m_sectionNames.begin() + index);
    m_sections.erase(m_sections.begin() + index);
    return true;
}

bool CIniFile::SetValue(std::string section, std::string name, std::string value, bool create)
{
    int sectionIndex = FindSection(section);
    if (sectionIndex < 0) {
        if (!create)
            return false;
        sectionIndex = AddSection(section);
    }
    Section& record = m_sections[sectionIndex];
    int valueIndex = FindValue(sectionIndex, name);
    if (valueIndex < 0) {
        if (!create)
            return false;
        record.names.push_back(name);
        record.values.push_back(value);
    } else if (m_appendOnSet) {
        record.names.push_back(name);
        record.values.push_back(value);
    } else {
        record.values[valueIndex] = value;
    }
    return true;
}

bool CIniFile::SetInt(std::string section, std::string name, int value)
{
    return SetValue(section, name, Printed("%d", value), true);
}

bool CIniFile::SetHex(std::string section, std::string name, unsigned value)
{
    return SetValue(section, name, Printed("0x%x", value), true);
}

bool CIniFile::SetDouble(std::string section, std::string name, double value)
{
    return SetValue(section, name, Printed("%f", value), true);
}

bool CIniFile::SetDoublePrecise(std::string section, std::string name, double value)
{
    return SetValue(section, name, Printed("%.16f", value), true);
}

bool CIniFile::SetFormatted(std::string section, std::string name, const char* format, ...)
{
    char text[kNumberTextBytes] = {};
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return SetValue(section, name, text, true);
}

std::string CIniFile::GetString(std::string section, std::string name, std::string def)
{
    return GetString(FindSection(section), name, def);
}

std::string CIniFile::GetString(int sectionIndex, std::string name, std::string def)
{
    if (sectionIndex < 0)
        return def;
    int valueIndex = FindValue(static_cast<unsigned>(sectionIndex), name);
    if (valueIndex < 0)
        return def;
    return m_sections[sectionIndex].values[valueIndex];
}

int CIniFile::GetInt(std::string section, std::string name, int def)
{
    return NumberOf(GetString(section, name, Printed("%d", def)));
}

int CIniFile::GetInt(int sectionIndex, std::string name, int def)
{
    return NumberOf(GetString(sectionIndex, name, Printed("%d", def)));
}

unsigned CIniFile::GetHex(std::string section, std::string name, unsigned def)
{
    return HexOf(GetString(section, name, Printed("0x%x", def)));
}

unsigned CIniFile::GetHex(int sectionIndex, std::string name, unsigned def)
{
    return HexOf(GetString(sectionIndex, name, Printed("0x%x", def)));
}

int CIniFile::GetBool(std::string section, std::string name, bool def)
{
    return GetInt(section, name, def ? 1 : 0);
}

double CIniFile::GetDouble(std::string section, std::string name, double def)
{
    return std::atof(GetString(section, name, Printed("%f", def)).c_str());
}

int CIniFile::ScanValue(std::string section, std::string name, const char* format, ...)
{
    std::string value = GetString(section, name, "");
    if (value.empty())
        return 0;
    va_list args;
    va_start(args, format);
    int count = vsscanf(value.c_str(), format, args);
    va_end(args);
    return count;
}

std::string CIniFile::GetValueAt(unsigned sectionIndex, unsigned valueIndex, std::string def)
{
    Section* section = SectionAt(sectionIndex);
    if (section == nullptr || valueIndex >= section->values.size())
        return def;
    return section->values[valueIndex];
}

void CIniFile::SetValueAt(unsigned sectionIndex, unsigned valueIndex, std::string value)
{
    Section* section = SectionAt(sectionIndex);
    if (section != nullptr && valueIndex < section->values.size())
        section->values[valueIndex] = value;
}

void CIniFile::AddHeaderComment(std::string text)
{
    m_headerComments.push_back(text);
}

std::string CIniFile::GetHeaderComment(unsigned index)
{
    return index < m_headerComments.size() ? m_headerComments[index] : std::string();
}

bool CIniFile::DeleteHeaderComment(unsigned index)
{
    if (index >= m_headerComments.size())
        return false;
    m_headerComments.erase(m_headerComments.begin() + index);
    return true;
}

bool CIniFile::AddSectionComment(std::string section, std::string text)
{
    int index = FindSection(section);
    return index >= 0 && AddSectionComment(static_cast<unsigned>(index), text);
}

bool CIniFile::AddSectionComment(unsigned sectionIndex, std::string text)
{
    Section* section = SectionAt(sectionIndex);
    if (section == nullptr)
        return false;
    section->comments.push_back(text);
    return true;
}

std::string CIniFile::GetSectionComment(unsigned sectionIndex, unsigned commentIndex)
{
    Section* section = SectionAt(sectionIndex);
    if (section == nullptr || commentIndex >= section->comments.size())
        return std::string();
    return section->comments[commentIndex];
}

std::string CIniFile::GetSectionComment(std::string section, unsigned commentIndex)
{
    int index = FindSection(section);
    return index >= 0 ? GetSectionComment(static_cast<unsigned>(index), commentIndex) : std::string();
}

bool CIniFile::DeleteSectionComment(unsigned sectionIndex, unsigned commentIndex)
{
    Section* section = SectionAt(sectionIndex);
    if (section == nullptr || commentIndex >= section->comments.size())
        return false;
    section->comments.erase(section->comments.begin() + commentIndex);
    return true;
}

bool CIniFile::DeleteSectionComment(std::string section, unsigned commentIndex)
{
    int index = FindSection(section);
    return index >= 0 && DeleteSectionComment(static_cast<unsigned>(index), commentIndex);
}

bool CIniFile::DeleteSectionComments(unsigned sectionIndex)
{
    Section* section = SectionAt(sectionIndex);
    if (section == nullptr)
        return false;
    section->comments.clear();
    return true;
}

bool CIniFile::DeleteSectionComments(std::string section)
{
    int index = FindSection(section);
    return index >= 0 && DeleteSectionComments(static_cast<unsigned>(index));
}

unsigned CIniFile::GetSectionCommentCount(unsigned sectionIndex)
{
    Section* section = SectionAt(sectionIndex);
    return section != nullptr ? static_cast<unsigned>(section->comments.size()) : 0;
}

unsigned CIniFile::GetSectionCommentCount(std::string section)
{
    int index = FindSection(section);
    return index >= 0 ? GetSectionCommentCount(static_cast<unsigned>(index)) : 0;
}

unsigned CIniFile::GetValueCount(unsigned sectionIndex)
{
    Section* section = SectionAt(sectionIndex);
    return section != nullptr ? static_cast<unsigned>(section->names.size()) : 0;
}

unsigned CIniFile::GetValueCount(std::string section)
{
    int index = FindSection(section);
    return index >= 0 ? GetValueCount(static_cast<unsigned>(index)) : 0;
}

std::string CIniFile::GetValueName(unsigned sectionIndex, unsigned valueIndex)
{
    Section* section = SectionAt(sectionIndex);
    if (section == nullptr || valueIndex >= section->names.size())
        return std::string();
    return section->names[valueIndex];
}

std::string CIniFile::GetValueName(std::string section, unsigned valueIndex)
{
    int index = FindSection(section);
    return index >= 0 ? GetValueName(static_cast<unsigned>(index), valueIndex) : std::string();
}

bool CIniFile::DeleteValue(std::string section, std::string name)
{
    int sectionIndex = FindSection(section);
    if (sectionIndex < 0)
        return false;
    int valueIndex = FindValue(static_cast<unsigned>(sectionIndex), name);
    if (valueIndex < 0)
        return false;
    Section& record = m_sections[sectionIndex];
    record.names.erase(record.names.begin() + valueIndex);
    record.values.erase(record.values.begin() + valueIndex);
    return true;
}
