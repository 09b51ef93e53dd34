// The system interfaces the program uses, gathered as the system's own umbrella header does.
#pragma once
#include "windef.h"
#include "winbase.h"
#include "winbase_res.h"
#include "wingdi.h"
#include "winuser.h"
#include "imm.h"
#include "winreg.h"
#include "winnls.h"
#include "strsafe.h"
