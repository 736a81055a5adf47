#pragma once
// Templates and controls of the framework tests' own resource script.

#define IDD_TEST_MODAL 200
#define IDD_TEST_CHILD 201
#define IDD_TEST_UNREGISTERED_CONTROL 202
#define IDC_TEST_BUTTON 1001
#define IDC_TEST_EDIT 1002
#define IDC_TEST_UNREGISTERED 1003
#define IDS_TEST_ABOUT 101
