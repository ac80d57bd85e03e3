#include "worker_thread.h"

#include <process.h>

#include <new>

namespace {

struct ThreadStart {
    AFX_THREADPROC proc;
    void* param;
};

unsigned __stdcall ThreadEntry(void* raw)
{
    const ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    try {
        return start.proc(start.param);
    } catch (...) {
        return 1;   // an exception must not end the process from a worker
    }
}

}  // namespace

bool AfxBeginThread(AFX_THREADPROC proc, void* param, int priority)
{
    ThreadStart* start = new (std::nothrow) ThreadStart{proc, param};
    if (!start)
        return false;
    // Created suspended so that the priority is in force before the thread's first instruction.
    const uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadEntry, start, CREATE_SUSPENDED, nullptr);
    if (!handle) {
        delete start;
        return false;
    }
    const HANDLE thread = reinterpret_cast<HANDLE>(handle);
    ::SetThreadPriority(thread, priority);
    ::ResumeThread(thread);
    ::CloseHandle(thread);
    return true;
}
