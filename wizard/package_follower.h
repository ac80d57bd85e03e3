#pragma once
// The driver package, started and followed to the end of the last process it starts, directly or
// through its children, with their exit codes.

#include "install_run.h"
#include "kernel_handles.h"

#include <windows.h>

#include <string>

// Walks a fresh list of all processes (the system's process snapshot).
bool WalkProcesses(const core::ProcessVisitor& visit);

class CPackageFollower {
public:
    // Starts the package suspended, puts it in a job of its own, whose completion port then tells
    // of every process that joins it and of each one's end, and lets it run. Where the system
    // refuses the job (on Vista and 7 a process that runs in a job cannot put a child in another),
    // the package is followed by its name instead. False, with the system's error, when it could
    // not be started.
    bool Start(const std::string& applicationName, std::string commandLine, const std::string& workingDirectory,
               DWORD& error);
    // Returns once the package's last process has ended (of the job; by name, of those named like
    // the package, each opened when first seen, for an exit code outlives its process only while a
    // handle to it is open).
    core::PackageEnd WaitForEnd();

private:
    bool PutInJob();
    core::PackageEnd WaitForJob();
    core::PackageEnd WaitByName();

    CHandle m_process;
    DWORD m_processId = 0;
    CHandle m_job;
    CHandle m_port;  // the job's completion port; empty when the package is followed by name
};
