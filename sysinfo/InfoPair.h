#pragma once
// One fact of the system-information page: a label and its value.

#include "CString.h"

struct InfoPair {
    CString name;
    CString value;
};
