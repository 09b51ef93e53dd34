// Identifiers of the program's own resources and commands, shared by the resource tables and the
// code that loads and handles them.
#pragma once

// Strings.
#define IDS_APP_NAME 128
#define IDS_MENUBAR_RIGHT 59282
#define IDS_MENUBAR_LEFT 59283

// The program menu, the menu bar, the about box and the icon.
#define IDM_PROGRAM_MENU 128
#define IDR_MENUBAR 59394
#define IDD_ABOUT 100
#define IDI_APP 128

// Commands of the program menu, and the compose view's send and close.
#define ID_COMPOSE_CLOSE 32801
#define ID_SEND 33333
#define ID_USE_LOCK 33340
#define ID_LOCK_NOW 33341
#define ID_REFRESH_MESSAGES 33342
#define ID_REFRESH_CONTACTS 33343
#define ID_SHORT_PREVIEW 33344
#define ID_SORT_DESCENDING 33345
#define ID_HIDE_ON_EXIT 33346
#define ID_ABOUT 33347
#define ID_EXIT 33348

// The compose view's controls.
#define IDC_TEXT 1001
#define IDC_SENDER 1002
#define IDC_RECIPIENT 1003
#define IDC_SENDER_BUTTON 1004
#define IDC_RECIPIENT_BUTTON 1005

// The id the active view carries as the frame's client window.
#define ID_VIEW_CLIENT 59648
