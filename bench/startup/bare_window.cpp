// The floor of the start-up bench: a program that shows one message box and nothing else. Whatever
// a wizard takes above this is its own.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ::MessageBoxA(nullptr, "A bare window.", "Bare", MB_OK);
    return 0;
}
