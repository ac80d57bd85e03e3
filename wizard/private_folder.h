#pragma once
// Where a released program runs its package from: a fresh folder under the Windows temporary
// folder that only administrators and the system may write (the set-up folder itself usually lies
// in the user's Downloads, which every program of the user can write, and where a planted DLL
// would be found first). The package and every other file the release pinned beyond those the
// wizard shows are copied into it, each hashed as it is copied and compared with its pin, and held
// until the folder is removed.

#include "kernel_handles.h"
#include "release_pins.h"

#include <windows.h>

#include <string>
#include <vector>

class CPrivateFolder {
public:
    CPrivateFolder() = default;
    ~CPrivateFolder() { Remove(); }
    CPrivateFolder(const CPrivateFolder&) = delete;
    CPrivateFolder& operator=(const CPrivateFolder&) = delete;

    // Makes the folder. False, with the system's reason, when it cannot be made. Folders that
    // earlier runs could not remove are removed first, where nothing holds them any more.
    bool Create(DWORD& error);
    // Copies the package's pinned files from dataDir (which ends in a backslash). False when one
    // cannot be used: `changed` names it in dataDir with what happened.
    bool CopyPackage(const core::ReleasePins& pins, const std::string& dataDir, core::ChangedFile& changed);
    // With its trailing backslash; empty before Create.
    const std::string& Path() const { return m_path; }
    // Lets go of the copies and deletes the folder with everything in it, as far as it can.
    void Remove();

private:
    bool CopyOne(const core::ReleasePins& pins, const std::string& name, const std::string& dataDir,
                 core::ChangedFile& changed);

    std::string m_path;
    CHandle m_folder;
    std::vector<CHandle> m_copies;
};
