#include "package_follower.h"

#include "globals.h"
#include "utf8.h"

#include <tlhelp32.h>

#include <vector>

namespace {

// Enough to read a process's exit code and to wait for its end, on every Windows from XP on.
const DWORD kFollowAccess = PROCESS_QUERY_INFORMATION | SYNCHRONIZE;

struct Followed {
    DWORD id = 0;
    CHandle handle;  // empty when the process could not be opened: its code is not known
    bool packageName = false;
    bool ended = false;
};

bool IsListedAsPackage(DWORD processId) {
    bool package = false;
    WalkProcesses([&](const char* exeFile, uint32_t id) {
        if (id != processId) return false;
        package = core::IsPackageFileName(exeFile);
        return true;
    });
    return package;
}

// The process the wizard started, followed first whatever else joins it; takes its handle.
std::vector<Followed> StartedProcess(DWORD id, CHandle& handle) {
    std::vector<Followed> followed(1);
    followed[0].id = id;
    followed[0].handle = std::move(handle);
    followed[0].packageName = true;
    return followed;
}

void NoteEnd(Followed& process, core::PackageEnds& ends) {
    process.ended = true;
    DWORD code = 0;
    const bool known = process.handle && ::GetExitCodeProcess(process.handle.Get(), &code) && code != STILL_ACTIVE;
    ends.Ended(process.packageName, known, code);
}

}  // namespace

bool WalkProcesses(const core::ProcessVisitor& visit) {
    const CHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        entry.szExeFile[MAX_PATH - 1] = L'\0';
        if (visit(Utf8(entry.szExeFile).c_str(), entry.th32ProcessID)) break;
    }
    return true;
}

bool CPackageFollower::Start(const std::string& applicationName, std::string commandLine,
                             const std::string& workingDirectory, DWORD& error) {
    std::wstring writable = Widen(commandLine);  // CreateProcessW may write into its command line
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // Suspended until it is in the job: not one instruction of it, nor any child, escapes it.
    const std::wstring folder = Widen(workingDirectory);
    if (!::CreateProcessW(Widen(applicationName).c_str(), &writable[0], nullptr, nullptr, FALSE,
                          CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        error = ::GetLastError();
        return false;
    }
    m_process.Attach(process.hProcess);
    m_processId = process.dwProcessId;
    const CHandle thread(process.hThread);
    if (FollowByNameForTest() || !PutInJob()) {
        m_job.Close();
        m_port.Close();
    }
    if (::ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
        error = ::GetLastError();
        ::TerminateProcess(m_process.Get(), error);
        m_process.Close();
        return false;
    }
    return true;
}

bool CPackageFollower::PutInJob() {
    m_job.Attach(::CreateJobObjectW(nullptr, nullptr));
    m_port.Attach(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!m_job || !m_port) return false;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {};
    association.CompletionKey = m_job.Get();
    association.CompletionPort = m_port.Get();
    // A process the package starts with CREATE_BREAKAWAY_FROM_JOB asks to leave: let it, rather
    // than make its start fail. The wizard sets no other limit, and the job does not end its
    // processes when the wizard ends.
    JOBOBJECT_BASIC_LIMIT_INFORMATION limits = {};
    limits.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    return ::SetInformationJobObject(m_job.Get(), JobObjectAssociateCompletionPortInformation, &association,
                                     sizeof(association)) &&
           ::SetInformationJobObject(m_job.Get(), JobObjectBasicLimitInformation, &limits, sizeof(limits)) &&
           ::AssignProcessToJobObject(m_job.Get(), m_process.Get());
}

core::PackageEnd CPackageFollower::WaitForEnd() { return m_port ? WaitForJob() : WaitByName(); }

core::PackageEnd CPackageFollower::WaitForJob() {
    core::PackageEnds ends;
    std::vector<Followed> members = StartedProcess(m_processId, m_process);
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED overlapped = nullptr;
        if (!::GetQueuedCompletionStatus(m_port.Get(), &message, &key, &overlapped, core::kWaitPollMs)) {
            // No news for a while: the job itself says whether anything still runs in it.
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
            if (::QueryInformationJobObject(m_job.Get(), JobObjectBasicAccountingInformation, &accounting,
                                            sizeof(accounting), nullptr) &&
                accounting.ActiveProcesses == 0)
                break;
            continue;
        }
        // The port's news of a job: the message, and the process it is about in place of an overlapped.
        const DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(overlapped));
        if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) break;
        if (message == JOB_OBJECT_MSG_NEW_PROCESS && id != m_processId) {
            Followed member;
            member.id = id;
            member.handle.Attach(::OpenProcess(kFollowAccess, FALSE, id));
            member.packageName = IsListedAsPackage(id);
            members.push_back(std::move(member));
        } else if (message == JOB_OBJECT_MSG_EXIT_PROCESS || message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) {
            for (Followed& member : members) {
                if (member.id == id && !member.ended) NoteEnd(member, ends);
            }
        }
    }
    // Ends the port did not tell of (its news was lost): in the order the processes joined.
    for (Followed& member : members) {
        if (!member.ended) NoteEnd(member, ends);
    }
    return ends.Result();
}

core::PackageEnd CPackageFollower::WaitByName() {
    core::PackageEnds ends;
    std::vector<Followed> followed = StartedProcess(m_processId, m_process);
    for (;;) {
        // Every process named like the package is opened when first seen. A process that cannot
        // be opened is waited for while it is listed.
        bool unopened = false;
        WalkProcesses([&](const char* exeFile, uint32_t id) {
            if (!core::IsPackageFileName(exeFile)) return false;
            for (const Followed& known : followed) {
                if (known.id == id) return false;
            }
            Followed process;
            process.id = id;
            process.packageName = true;
            process.handle.Attach(::OpenProcess(kFollowAccess, FALSE, id));
            if (process.handle)
                followed.push_back(std::move(process));
            else
                unopened = true;
            return false;
        });
        // Ended handles stay open until the end, so that no new process can take their ids.
        std::vector<HANDLE> running;
        for (Followed& process : followed) {
            if (process.ended) continue;
            if (!process.handle || ::WaitForSingleObject(process.handle.Get(), 0) == WAIT_OBJECT_0)
                NoteEnd(process, ends);
            else
                running.push_back(process.handle.Get());
        }
        if (running.empty() && !unopened) break;
        // Woken by the first end, so that ends are noted in the order they came.
        if (running.empty())
            ::Sleep(core::kWaitPollMs);
        else
            ::WaitForMultipleObjects(
                static_cast<DWORD>(running.size() < MAXIMUM_WAIT_OBJECTS ? running.size() : MAXIMUM_WAIT_OBJECTS),
                running.data(), FALSE, core::kWaitPollMs);
    }
    return ends.Result();
}
