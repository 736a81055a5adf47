// Dialog templates and control ids of the program's resource script.
#pragma once

#define IDD_MESSAGEINFO 134

#define IDC_RICHEDIT_MESSAGE 1048
#define IDC_BTN_MESSAGE_ICON 1049
