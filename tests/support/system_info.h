// What a Windows test program asks of the system it runs on: the processes and the threads of a
// process, the system folder, the screen's density, and where the Unix side's files are.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace support {

// The live threads of process pid that run at the lowest priority, in increasing order of id. The
// program's animation thread is lowered so, and nothing else is.
std::vector<DWORD> LowestPriorityThreads(DWORD pid);

// Every process the system lists now.
std::vector<PROCESSENTRY32> ListedProcesses();

// The system folder ("C:\windows\system32"), without a trailing backslash; "" if it cannot be had.
std::string SystemDir();

// The density the screen reports: LOGPIXELSX or LOGPIXELSY.
int ScreenDpi(int axis = LOGPIXELSX);

// "/work/build/dist" -> "Z:\work\build\dist" (Wine's drive Z: is the Unix root).
std::string WindowsPathFromUnix(const std::string& unixPath);

}  // namespace support
