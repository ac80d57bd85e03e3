#include "private_folder.h"

#include "install_run.h"
#include "released_files.h"
#include "utf8.h"

#include <sddl.h>

#include <cstdio>

namespace {

const char kFolderPrefix[] = "Wi-FiSkylark-";
const DWORD kCopyPieceSize = 64 * 1024;

// The system and the Administrators group, with full control, passed on to everything the folder
// holds; nobody else, and nothing inherited from the folder above.
const wchar_t kAdministratorsOnly[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// The Windows temporary folder, shared by every user (not a Terminal Server user's own Windows
// folder), with its trailing backslash; empty when the system does not say.
std::string WindowsTemporaryFolder() {
    wchar_t windows[MAX_PATH];
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    std::string folder = Utf8(std::wstring(windows, length));
    if (folder.back() != '\\') folder += '\\';
    return folder + "Temp\\";
}

// Deletes a folder (ending in a backslash) with everything in it; what is held or in use stays. A
// link inside is removed, never followed.
void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(Widen(folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = Utf8(found.cFileName);
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            const DWORD attributes = found.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                DeleteTree(path + "\\");
            } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                ::RemoveDirectoryW(Widen(path).c_str());
            } else {
                ::SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(Widen(path).c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(Widen(folder.substr(0, folder.size() - 1)).c_str());
}

// Private folders of earlier runs that could not be removed then: nothing holds them any more, or
// their files are still held and they stay.
void RemoveLeftovers(const std::string& temporary) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(Widen(temporary + kFolderPrefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            DeleteTree(temporary + Utf8(found.cFileName) + "\\");
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// The folders of a path below `root` (which ends in a backslash), made where they are missing.
void MakeFolders(const std::string& root, const std::string& path) {
    for (size_t at = path.find('\\', root.size()); at != std::string::npos; at = path.find('\\', at + 1))
        ::CreateDirectoryW(Widen(path.substr(0, at)).c_str(), nullptr);
}

core::ChangedFile NotCopied(const std::string& source, DWORD error) {
    PinCheck check;
    check.problem = core::FileProblem::NotCopied;
    check.error = error;
    return ChangedFileOf(source, check);
}

}  // namespace

bool CPrivateFolder::Create(DWORD& error) {
    Remove();
    const std::string temporary = WindowsTemporaryFolder();
    if (temporary.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    RemoveLeftovers(temporary);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsOnly, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        error = ::GetLastError();
        return false;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    // A fresh folder: CreateDirectory fails where one of the name is there already.
    error = ERROR_ALREADY_EXISTS;
    for (unsigned attempt = 0; attempt < 100 && error == ERROR_ALREADY_EXISTS; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%08lX-%08lX-%u", kFolderPrefix,
                      static_cast<unsigned long>(::GetCurrentProcessId()), static_cast<unsigned long>(::GetTickCount()),
                      attempt);
        const std::string path = temporary + name;
        if (!::CreateDirectoryW(Widen(path).c_str(), &attributes)) {
            error = ::GetLastError();
            continue;
        }
        // Held open, so that another set-up's clean-up cannot take it away while it is still empty.
        m_folder.Attach(::CreateFileW(Widen(path).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        m_path = path + "\\";
        error = ERROR_SUCCESS;
    }
    ::LocalFree(descriptor);
    return error == ERROR_SUCCESS;
}

bool CPrivateFolder::CopyPackage(const core::ReleasePins& pins, const std::string& dataDir,
                                 core::ChangedFile& changed) {
    for (const std::string& name : pins.PackageFiles()) {
        if (!CopyOne(pins, name, dataDir, changed)) return false;
    }
    return true;
}

bool CPrivateFolder::CopyOne(const core::ReleasePins& pins, const std::string& name, const std::string& dataDir,
                             core::ChangedFile& changed) {
    const std::string source = PathOfPinned(dataDir, name);
    CHandle from;
    PinCheck check = core::IsPlainRelativeName(name) ? OpenHeld(source, from) : PinCheck();
    if (!check.matches) {
        changed = ChangedFileOf(source, check);
        return false;
    }
    const std::string target = PathOfPinned(m_path, name);
    MakeFolders(m_path, target);
    {
        const CHandle to(::CreateFileW(Widen(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!to) {
            changed = NotCopied(source, ::GetLastError());
            return false;
        }
        // Hashed as it is copied: the digest is that of the bytes written.
        core::Sha256 hash;
        std::string piece(kCopyPieceSize, '\0');
        for (;;) {
            DWORD got = 0, written = 0;
            if (!::ReadFile(from.Get(), &piece[0], kCopyPieceSize, &got, nullptr)) {
                check.problem = core::FileProblem::Unreadable;
                check.error = ::GetLastError();
                changed = ChangedFileOf(source, check);
                return false;
            }
            if (got == 0) break;
            if (!::WriteFile(to.Get(), piece.data(), got, &written, nullptr) || written != got) {
                changed = NotCopied(source, ::GetLastError());
                return false;
            }
            hash.Update(piece.data(), got);
        }
        if (!pins.Matches(name, hash.Final())) {
            changed = ChangedFileOf(source, PinCheck());
            return false;
        }
    }
    // Held as the copy was written: nobody may write, replace or delete it until it is let go.
    CHandle copy;
    check = OpenHeld(target, copy);
    if (!check.matches) {
        changed = NotCopied(source, check.error);
        return false;
    }
    m_copies.push_back(std::move(copy));
    return true;
}

void CPrivateFolder::Remove() {
    m_copies.clear();
    m_folder.Close();
    if (!m_path.empty()) DeleteTree(m_path);
    m_path.clear();
}
