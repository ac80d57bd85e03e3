#include "worker_thread.h"

#include "thread.h"

#include <new>

namespace {

struct ThreadStart {
    AFX_THREADPROC proc;
    void* param;
};

unsigned __stdcall ThreadEntry(void* raw) {
    const ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    try {
        return start.proc(start.param);
    } catch (...) {
        return 1;  // an exception must not end the process from a worker
    }
}

}  // namespace

bool AfxBeginThread(AFX_THREADPROC proc, void* param, int priority) {
    ThreadStart* start = new (std::nothrow) ThreadStart{proc, param};
    if (!start) return false;
    CThread thread;  // nobody waits for the worker: its handle is closed at once
    if (!thread.Create(&ThreadEntry, start, priority)) {
        delete start;
        return false;
    }
    return true;
}
