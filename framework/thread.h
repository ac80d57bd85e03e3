#pragma once
// CThread: starts a thread and owns its handle.

#include "kernel_handles.h"

class CThread : public CHandle {
public:
    typedef unsigned(__stdcall* Proc)(void* param);

    // Runs proc(param) on a new thread at `priority` from its first instruction on. False, with
    // GetLastError telling why, when no thread started. A handle held before is closed first.
    bool Create(Proc proc, void* param, int priority);
};
