#pragma once
// Starts a detached worker thread: nobody waits for it, and it ends with the process at the latest.

#include <windows.h>

typedef UINT (*AFX_THREADPROC)(void* param);

// Runs proc(param) on a new thread at the given priority. False when the thread could not start.
bool AfxBeginThread(AFX_THREADPROC proc, void* param, int priority = THREAD_PRIORITY_NORMAL);
