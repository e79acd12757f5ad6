// The process entry point; everything else lives in RunPellwick so that tests
// can drive the same start-up steps.
#include "app/app_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int cmdShow)
{
    return RunPellwick(instance, previous, cmdLine, cmdShow);
}
