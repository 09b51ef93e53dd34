// View modes, the frame's view messages and the program's command identifiers.
#pragma once
#include <windows.h>

// One number space for start modes and views.
enum ViewMode : int {
  VM_LIST = 0,
  VM_THREAD = 1,
  VM_THREAD_FIRST = 2,
  VM_COMPOSE = 3,
  VM_COMPOSE_TO_NUMBER = 4,
  VM_LOCK = 5,
  VM_CONTACTS = 6,
};

// Requests to the frame, always sent synchronously.
#define UM_SHOWTHREAD 1034
#define UM_SHOWLIST 1035
#define UM_SHOWLOCK 1036
#define UM_SHOWCOMPOSE 1037
#define UM_SHOWPREVIOUS 1038
#define UM_SHOWCONTACTS 1039

// Prefill kinds of UM_SHOWCOMPOSE.
#define COMPOSE_NEW 0
#define COMPOSE_REPLY 1
#define COMPOSE_TO_START_NUMBER 2
#define COMPOSE_FORWARD 3
#define COMPOSE_TO_PICKED 4

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

// The id the active view carries as the frame's client window.
#define ID_VIEW_CLIENT 59648

// Resources of the program file.
#define IDS_APP_NAME 128
#define IDM_PROGRAM_MENU 128
#define IDR_MENUBAR 59394
#define IDD_ABOUT 100
#define IDI_APP 128

// WM_COPYDATA kind a second launch uses to hand over its number.
#define COPYDATA_START_NUMBER 4
