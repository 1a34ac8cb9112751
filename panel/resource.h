// Resource, control, menu, timer and message ids of Quillon.exe, shared by the resource script
// and the code. Plain macros: windres reads this file too.
#pragma once

#define IDI_QUILLON 128            // icon group: dialog icons and the notification icon
#define IDI_QUILLON_OFF 129        // icon group: the notification and dialog icons while the filter is off
#define IDI_QUILLON_PAUSED 130     // icon group: the same while the filter is paused
#define IDD_MAIN 103               // the main dialog
#define IDR_TRAYMENU 1200          // menu holding the popup "TrayMenu"

// Controls of dialog 103.
#define IDC_HOOKTYPE_GROUP 1000
#define IDC_PARAM_GROUP 1001
#define IDC_MISC_GROUP 1002
#define IDC_UPDOWN_LABEL 1003
#define IDC_DBCLICK_LABEL 1004
#define IDC_ROTREVERSE_LABEL 1005
#define IDC_INFO 1006
#define IDC_LBUTTON 1010
#define IDC_RBUTTON 1011
#define IDC_WHEEL 1012
#define IDC_AUTOTIPS 1013
#define IDC_AUTOHOOK 1014
#define IDC_LOGTOFILE 1015
#define IDC_UPDOWN_EDIT 1020
#define IDC_DBCLICK_EDIT 1021
#define IDC_ROTREVERSE_EDIT 1022
#define IDC_UPDOWN_SET 1030
#define IDC_DBCLICK_SET 1031
#define IDC_ROTREVERSE_SET 1032
#define IDC_ACTION 1033
#define IDC_EXIT 1034

// Items of the popup "TrayMenu".
#define IDM_AUTOREPORT 1210
#define IDM_LOGTOFILE 1211
#define IDM_SETTING 1212
#define IDM_ACTION 1213
#define IDM_ABOUT 1214
#define IDM_EXIT 1215

// The mouse check window and its two ways in. Ids 1400-1449 belong to it alone (1300-1399
// are left for further windows of the panel), so none collides with a tabled id.
#define IDD_MOUSE_CHECK 1400
#define IDC_MOUSECHECK_VIEW 1401        // test area: indicators, counts and histograms
#define IDC_MOUSECHECK_STATUS 1402      // the hint, or the guided check's current step
#define IDC_MOUSECHECK_SUGGESTED 1403   // label of the suggestion
#define IDC_MOUSECHECK_SUGGESTION 1404  // read-only edit: one reason line per interval
#define IDC_MOUSECHECK_GUIDED 1405
#define IDC_MOUSECHECK_CLEAR 1406
#define IDC_MOUSECHECK_USE 1407
#define IDC_MOUSECHECK_SAVE 1408
#define IDC_MOUSECHECK_CLOSE 1409
#define IDC_MOUSECHECK_OPEN 1440        // button on dialog 103
#define IDM_MOUSECHECK 1441             // item of the popup "TrayMenu"
#define MOUSECHECK_WHEEL_STOP_TIMER 1   // guided check: the wheel has stopped
// The Options window and its two ways in: ids 1300-1349 (none collides with a tabled id or with
// the mouse check's 1400-1449).
#define IDD_OPTIONS 1300
#define IDC_OPT_BUTTONS_GROUP 1301
#define IDC_OPT_HEAD_BUTTON 1302
#define IDC_OPT_HEAD_UPDOWN 1303
#define IDC_OPT_HEAD_DBCLICK 1304
#define IDC_OPT_NAME_LEFT 1305         // five rows by ButtonIndex: name (a switch for the three
#define IDC_OPT_NAME_RIGHT 1306        // extra buttons), own bounce interval, own double click
#define IDC_OPT_SWITCH_MIDDLE 1307
#define IDC_OPT_SWITCH_X1 1308
#define IDC_OPT_SWITCH_X2 1309
#define IDC_OPT_UPDOWN_FIRST 1310      // 1310-1314
#define IDC_OPT_DBCLICK_FIRST 1315     // 1315-1319
#define IDC_OPT_SHARED_HINT 1320
#define IDC_OPT_ENGINE_GROUP 1321
#define IDC_OPT_RELEASEGUARD 1322
#define IDC_OPT_DRAGHOLD 1323
#define IDC_OPT_DRAGHOLD_LABEL 1324
#define IDC_OPT_DRAGHOLD_EDIT 1325
#define IDC_OPT_EXCLUDED_GROUP 1326
#define IDC_OPT_EXCLUDED_LIST 1327
#define IDC_OPT_EXCLUDED_ADD 1328
#define IDC_OPT_EXCLUDED_REMOVE 1329
#define IDC_OPT_EXCLUDED_NOTE 1330     // shown when the list was cut
#define IDC_OPT_HOTKEY_LABEL 1331
#define IDC_OPT_HOTKEY 1332
#define IDC_OPT_HOTKEY_NOTE 1333       // shown when the key is taken
#define IDC_OPT_SETTINGSFILE_LABEL 1334
#define IDC_OPT_SETTINGSFILE 1335
#define IDC_OPT_CLOSE 1336
#define IDC_OPT_PRESSCONFIRM 1337
#define IDC_OPT_PRESSCONFIRM_LABEL 1338
#define IDC_OPT_PRESSCONFIRM_EDIT 1339
#define IDC_OPT_LANGUAGE_LABEL 1360
#define IDC_OPT_LANGUAGE 1361          // drop-down list of the languages
#define IDC_OPTIONS_OPEN 1340          // button on dialog 103
#define IDM_OPTIONS 1341               // item of the popup "TrayMenu"

// The pause hot key's id with RegisterHotKey (its own space, not a control id).
#define PAUSE_HOTKEY_ID 1

// Timers of the main dialog.
#define REFRESH_TIMER 1
#define TIPS_TIMER 2
#define REFUSAL_TIP_TIMER 3         // the refusal balloon of an interval box goes

// Private messages of the main dialog (WM_USER is 0x0400).
#define MSG_APPLY_UPDOWN (0x0400 + 38)
#define MSG_APPLY_DBCLICK (0x0400 + 39)
#define MSG_APPLY_ROTREVERSE (0x0400 + 40)
#define MSG_TRAY_NOTIFY (0x0400 + 59)

// The notification icon's id within the dialog.
#define TRAY_ICON_ID 128
