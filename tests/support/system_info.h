// What a Windows test program asks of the system it runs on: the threads of a process, the system
// folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace support {

// The live threads of process pid that run at the lowest priority, in increasing order of id. The
// program's animation thread is lowered so, and nothing else is.
std::vector<DWORD> LowestPriorityThreads(DWORD pid);

// The system folder ("C:\windows\system32"), without a trailing backslash; "" if it cannot be had.
std::string SystemDir();

}  // namespace support
