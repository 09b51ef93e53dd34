// View modes and the frame's view messages.
#pragma once
#include <windows.h>

#include "program_ids.h"

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

// The compose view's text field asks it to recount, with the bytes of a composing syllable.
#define UM_RECOUNT 1030

// Prefill kinds of UM_SHOWCOMPOSE.
#define COMPOSE_NEW 0
#define COMPOSE_REPLY 1
#define COMPOSE_TO_START_NUMBER 2
#define COMPOSE_FORWARD 3
#define COMPOSE_TO_PICKED 4

// WM_COPYDATA kind a second launch uses to hand over its number.
#define COPYDATA_START_NUMBER 4
