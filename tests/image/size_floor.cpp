// The size floor: a GUI program that only calls MessageBoxA, built with the shipped program's flags.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return MessageBoxA(nullptr, "floor", "floor", MB_OK);
}
