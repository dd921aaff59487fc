// Resource identifiers shared by the resource scripts and the code.
#pragma once

#define IDI_QUIESCOR_DARK 1001
#define IDI_QUIESCOR_GREEN 1002
#define IDI_BUTTON 1009

// Pictures of the built-in skin and the about box, of resource type "PNG".
#define IDP_SKIN_ICONS 1030
#define IDP_SKIN_BACKGROUND 1031
#define IDP_SKIN_TITLE 1032
#define IDP_SKIN_EMBLEM 1033
#define IDP_SKIN_CANCEL 1035
#define IDP_ABOUT 1037

#define IDD_CONFIRM 1007
#define IDD_EXITWINDOW 1010
#define IDC_QUESTION 1008
#define IDC_CONFIRM_ICON 1009

#define IDS_ASK_LOGOFF 102
#define IDS_ASK_RESTART 103
#define IDS_ASK_TURNOFF 104
#define IDS_ASK_STANDBY 105
#define IDS_ASK_HIBERNATE 106
#define IDS_ASK_SWITCHUSER 114
// Shown when Windows refuses an action, followed by the action's caption.
#define IDS_ACTION_REFUSED 115

// Captions of the built-in skin's buttons.
#define IDS_CAPTION_SWITCHUSER 111
#define IDS_CAPTION_TURNOFF 32795
#define IDS_CAPTION_RESTART 32796
#define IDS_CAPTION_STANDBY 32797
#define IDS_CAPTION_HIBERNATE 32798
#define IDS_CAPTION_LOGOFF 32799
// What screen readers call Cancel and the exit window.
#define IDS_CAPTION_CANCEL 116
#define IDS_EXITWINDOW_TITLE 117

// Tooltip texts of the exit window's buttons, in the tooltip markup language.
#define IDS_TIP_TURNOFF 1
#define IDS_TIP_RESTART 107
#define IDS_TIP_LOGOFF 108
#define IDS_TIP_STANDBY 109
#define IDS_TIP_HIBERNATE 110
#define IDS_TIP_SWITCHUSER 112
#define IDS_TIP_CANCEL 113

// The settings dialog and the about box.
#define IDD_SETTINGS 1006
#define IDD_ABOUT 1036
#define IDC_ABOUT_BUTTON 3
#define IDC_CHECK_CONFIRM 1005
#define IDC_CHECK_TURNOFF 1007
#define IDC_CHECK_RESTART 1008
#define IDC_CHECK_STANDBY 1009
#define IDC_CHECK_HIBERNATE 1010
#define IDC_CHECK_LOGOFF 1011
#define IDC_CHECK_SWITCHUSER 1012
#define IDC_GET_SKINS 1017
#define IDC_SKINS 1029
#define IDC_PREVIEW 1030
#define IDC_ABOUT_PICTURE 1031
#define IDC_ABOUT_VERSION 1032
#define IDC_HOTKEY 1033

// Why an action cannot be done now (one short sentence each), what a press says when
// none can, and the question before ending other users' sessions.
#define IDS_WHY_POLICY 118
#define IDS_WHY_NO_PRIVILEGE 119
#define IDS_WHY_NO_SLEEP 120
#define IDS_WHY_NO_HIBERNATE 121
#define IDS_NOTHING_POSSIBLE 122
#define IDS_OTHERS_TURNOFF 123
#define IDS_OTHERS_RESTART 124
// Follows the settings dialog's box of an action this computer cannot do.
#define IDS_CANNOT_MARK 125
