#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_QUILLET_DIALOG 102
#define IDD_PARENT 131
#define IDD_TIME_FORMAT 133

// Icons, cursors and strings.
#define IDI_QUILLET 128
#define IDC_HAND_CURSOR 130
#define IDS_ABOUTBOX 101

// Controls.
#define IDC_CALENDAR 1000
#define IDC_NOTES 1001
#define IDC_LINK_HOME 1002
#define IDC_LINK_SUPPORT 1005
#define IDC_SEARCH 1014
