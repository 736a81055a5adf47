#pragma once
// One INI file held in memory: sections in file order, each with its
// name/value pairs and comments, plus the comments before the first section.
// Names, values and comments are byte strings kept exactly as read; section
// and value names are looked up without regard to the case of ASCII letters.

#include <string>
#include <vector>

#include "CString.h"

class CIniFile {
public:
    struct Section {
        std::vector<std::string> names;
        std::vector<std::string> values; // parallel to names
        std::vector<std::string> comments;
    };

    explicit CIniFile(CString path = CString());
    virtual ~CIniFile();

    void SetPath(CString path) { m_path = path; }
    // Adds what the file holds to the store; true when it holds a section.
    bool Read();
    bool Write();
    void Reset() { Clear(); }
    void Clear();

    std::string GetString(std::string section, std::string name, std::string def);
    std::string GetString(int sectionIndex, std::string name, std::string def);
    int GetInt(std::string section, std::string name, int def);
    int GetInt(int sectionIndex, std::string name, int def);
    unsigned GetHex(std::string section, std::string name, unsigned def);
    unsigned GetHex(int sectionIndex, std::string name, unsigned def);
    // The integer as GetInt reads it, not reduced to 0 or 1.
    int GetBool(std::string section, std::string name, bool def);
    double GetDouble(std::string section, std::string name, double def);
    // sscanf over the value; 0 when the value is empty or missing.
    int ScanValue(std::string section, std::string name, const char* format, ...);
    std::string GetValueAt(unsigned sectionIndex, unsigned valueIndex, std::string def);
    void SetValueAt(unsigned sectionIndex, unsigned valueIndex, std::string value);

    bool SetValue(std::string section, std::string name, std::string value, bool create);
    bool SetInt(std::string section, std::string name, int value);
    bool SetHex(std::string section, std::string name, unsigned value);
    bool SetDouble(std::string section, std::string name, double value);
    bool SetDoublePrecise(std::string section, std::string name, double value);
    bool SetFormatted(std::string section, std::string name, const char* format, ...);

    int FindSection(std::string name);
    int FindValue(unsigned sectionIndex, std::string name);
    int AddSection(std::string name);
    std::string GetSectionName(unsigned index);
    bool DeleteSection(std::string name);

    void AddHeaderComment(std::string text);
    std::string GetHeaderComment(unsigned index);
    bool DeleteHeaderComment(unsigned index);

    bool AddSectionComment(std::string section, std::string text);
    bool AddSectionComment(unsigned sectionIndex, std::string text);
    std::string GetSectionComment(unsigned sectionIndex, unsigned commentIndex);
    std::string GetSectionComment(std::string section, unsigned commentIndex);
    bool DeleteSectionComment(unsigned sectionIndex, unsigned commentIndex);
    bool DeleteSectionComment(std::string section, unsigned commentIndex);
    bool DeleteSectionComments(unsigned sectionIndex);
    bool DeleteSectionComments(std::string section);
    unsigned GetSectionCommentCount(unsigned sectionIndex);
    unsigned GetSectionCommentCount(std::string section);

    unsigned GetValueCount(unsigned sectionIndex);
    unsigned GetValueCount(std::string section);
    std::string GetValueName(unsigned sectionIndex, unsigned valueIndex);
    std::string GetValueName(std::string section, unsigned valueIndex);
    bool DeleteValue(std::string section, std::string name);

    std::string NormalizeCase(std::string s);

    bool m_appendOnSet;
    bool m_caseInsensitive;
    CString m_path;
    std::vector<Section> m_sections;
    std::vector<std::string> m_sectionNames; // parallel to m_sections
    std::vector<std::string> m_headerComments;

private:
    void SkipBom(std::istream& in);
    bool ReadLine(std::string line, std::string& currentSection);
    Section* SectionAt(unsigned index);
};
