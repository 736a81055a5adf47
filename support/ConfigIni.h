#pragma once
// Loads "config.ini" of the executable's folder into the process-wide INI
// store g_pConfigIni and releases it at exit.

#include "IniFile.h"

extern CIniFile* g_pConfigIni;

class ConfigIni {
public:
    ConfigIni() {}
    ~ConfigIni() { Release(); }

    // The result of reading the file; the store exists afterwards either way.
    bool Load();
    // Harmless when nothing is loaded or when called twice.
    void Release();
};
