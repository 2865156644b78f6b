// The GUI entry point: the C runtime start-up calls it and exits with what it returns.
#include <windows.h>

#include "update_run.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // No arguments, no show state: every start does the same single pass.
    return RunUpdate();
}
