// Resource and control identifiers, shared by the resource script, the code
// and the tests. Plain #defines so that windres reads them too.
#ifndef ZOR_RESOURCE_H
#define ZOR_RESOURCE_H

// Dialog templates (the main dialog is named by the short name "ZOR").
#define IDD_CHOOSER 108
#define IDD_AUTOCONNECT 116
#define IDD_ABOUT 118
#define IDD_HELP 120

// Menus (the main menu is named "ZOR").
#define IDM_TRAY 125

// Icons: 15 fill levels, the spare, and the application icon named "ZOR".
#define IDI_LEVEL_FIRST 126
#define IDI_LEVEL_LAST 140
#define IDI_SPARE 141

#define IDB_BANNER 119
#define IDR_HELPTEXT 124  // of the custom type "TEXT"

// Strings.
#define IDS_SHORT_NAME 104
#define IDS_CAPTION 105
#define IDS_START_ERROR 106
#define IDS_OS_FIRST 107  // 107..111: one name per row of the version table
#define IDS_3GB_NOTE 112
#define IDS_COL_NAME 113
#define IDS_COL_PID 114
#define IDS_COL_SIZE 115
#define IDS_ABOUT_TEXT 116
#define IDS_PRESET_PROENGINEER 117
#define IDS_PRESET_UNIGRAPHICS 119
#define IDS_PRESET_SOLIDWORKS 120
#define IDS_PRESET_SOLIDEDGE 121
#define IDS_STATUS_HINT 122
#define IDS_STATUS_BLANK 123
#define IDS_KEY_PATH 124
#define IDS_MANUFACTURER 125
#define IDS_WEBPAGE 126
#define IDS_VERSION 127
#define IDS_INFO 128
#define IDS_NAME_MANUFACTURER 130
#define IDS_NAME_WEBPAGE 131
#define IDS_NAME_VERSION 132
#define IDS_NAME_INFO 133
#define IDS_NAME_ALWAYS_ON_TOP 135
#define IDS_NAME_SHOW_MEM_SCALE 136
#define IDS_NAME_SHOW_PROCESS_INFO 137
#define IDS_NAME_TRAY 138
#define IDS_NAME_XPOS 139
#define IDS_NAME_YPOS 140
#define IDS_NAME_RESTORE_POSITION 141
#define IDS_NAME_AUTO_CONNECT 142
#define IDS_NAME_PREV_PROCESS 143

// Controls of the main dialog.
#define IDC_INFO_PANEL 1004
#define IDC_SCALE_STRIP 1005
#define IDC_MAX_MEMORY 1006
#define IDC_OS_LINE 1007
#define IDC_SPACER 1016
#define IDC_STATUS 1031
#define IDC_GAUGE 1033

// Controls of the process chooser.
#define IDC_CHOOSER_OK 1009
#define IDC_CHOOSER_CANCEL 1010
#define IDC_PROCESS_LIST 1011

// Controls of the auto-connect dialog.
#define IDC_AUTO_NAME 1017
#define IDC_PRESET_PROENGINEER 1023
#define IDC_PRESET_UNIGRAPHICS 1025
#define IDC_PRESET_SOLIDWORKS 1026
#define IDC_PRESET_SOLIDEDGE 1030

// Controls of the about and help dialogs.
#define IDC_ABOUT_BOX 1018
#define IDC_ABOUT_BANNER 1020
#define IDC_ABOUT_RAMP_TOP 1021
#define IDC_ABOUT_RAMP_BOTTOM 1022
#define IDC_ABOUT_TEXT 1028
#define IDC_HELP_TEXT 1029

// Commands.
#define IDM_APPLY_SETTINGS 144
#define IDM_EXIT 40018
#define IDM_ALWAYS_ON_TOP 40026
#define IDM_HELP 40028
#define IDM_ABOUT 40029
#define IDM_CONNECT 40030
#define IDM_AUTO_CONNECT 40032
#define IDM_SHOW_MEM_SCALE 40037
#define IDM_SHOW_PROCESS_INFO 40038
#define IDM_RESET 40040
#define IDM_TRAY_CONNECT 40045
#define IDM_TRAY_AUTO_CONNECT 40046
#define IDM_TRAY_RESET 40047
#define IDM_TRAY_EXIT 40048
#define IDM_TO_TRAY 40049
#define IDM_TRAY_TOGGLE 40050
#define IDM_DEFAULT_SETTINGS 40051

// zormap.exe: its menu, the thresholds dialog and the window's controls.
#define IDM_MAP_MENU 300
#define IDM_MAP_CHOOSE 301
#define IDM_MAP_WARNING 302
#define IDM_MAP_EXIT 303
#define IDM_MAP_SAVE 304
#define IDA_MAP 305
#define IDD_MAP_WARNING 310
#define IDC_MAP_WARN_MB 311
#define IDC_MAP_WARN_PERCENT 312
#define IDC_MAP_FIGURES 320
#define IDC_MAP_GRID 321
#define IDC_MAP_CELL 323
#define IDC_MAP_TOP 324
// Sent to zormap.exe's window: answers how often its map has been painted.
#define kMapPaintsMessage (0x8000 + 1)
// zormap.exe's history strip and saved files.
#define IDM_MAP_OPEN 340
#define IDM_MAP_HISTORY 341
#define IDC_MAP_STRIP 342
// Answers how often the history strip has been painted.
#define kMapStripPaintsMessage (0x8000 + 4)
// The processes of a log that ran side by side, one to be shown.
#define IDD_MAP_INSTANCES 350
#define IDC_MAP_INSTANCES 351
#define IDC_MAP_INSTANCES_MORE 352

// The tray icon.
#define ZOR_TRAY_ID 2
#define ZOR_TRAY_CALLBACK 0x8000

#endif
