#include "thread.h"

#include <process.h>

bool CThread::Create(Proc proc, void* param, int priority) {
    Close();
    // Created suspended so that the priority is in force before the thread's first instruction.
    Attach(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, proc, param, CREATE_SUSPENDED, nullptr)));
    if (!Get()) return false;
    ::SetThreadPriority(Get(), priority);
    ::ResumeThread(Get());
    return true;
}
