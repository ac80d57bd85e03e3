// The program's GUI entry point: everything happens in the application object's InitInstance.
#include "win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return RunApplication(instance); }
