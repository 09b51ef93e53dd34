// parlo: the program inside the phone simulator.
#include "platform/automation/launcher.h"
#include "shell/app.h"

int main(int argc, char** argv) { return platform::automation::RunProgram(argc, argv, ParloMain); }
