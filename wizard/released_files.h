#pragma once
// The data files of a released program: each checked against the pin its release recorded, and
// held from the start until its last use, so that what was checked is what is used.

#include "file_reader.h"
#include "kernel_handles.h"
#include "release_pins.h"

#include <windows.h>

#include <string>
#include <vector>

// The pins recorded in the program by its release; none (pinned false) in any other build.
core::ReleasePins LoadReleasePins();

// What opening or checking a file against its pin found.
struct PinCheck {
    bool matches = false;
    core::FileProblem problem = core::FileProblem::Differs;
    DWORD error = ERROR_SUCCESS;  // the system's reason, where the file could not be opened or read
};

// The user's words for a check that failed: the file's full path, what happened, and why.
core::ChangedFile ChangedFileOf(const std::string& path, const PinCheck& check);

// Opens the file held (others may only read it). A failure says whether the file is missing, in
// use by another program (that does not share it for reading) or unreadable.
PinCheck OpenHeld(const std::string& path, CHandle& held);

// Hashes a held file whole, from its start, and compares it with the pin of `name`. `bytes`, when
// given, receives the file's contents (small files, used from memory afterwards); without it the
// file is hashed in pieces and never held in memory whole.
PinCheck CheckHeld(const core::ReleasePins& pins, const std::string& name, HANDLE held, std::string* bytes);

// Tells the wizard, from any thread, that released files cannot be used (WM_APP_FILES_CHANGED);
// the wizard takes the list back with TakeChangedFiles and ends with kRunFilesChanged.
void ReportChangedFiles(HWND wizard, const std::vector<core::ChangedFile>& files);
std::vector<core::ChangedFile> TakeChangedFiles(LPARAM reported);

// The path of a pinned name ("sub/file") below a folder that ends in a backslash.
std::string PathOfPinned(const std::string& folder, const std::string& name);

// The files of data\. In a released program every pinned file is opened held before the first
// page, so that a missing one is refused at once, and stays held until the wizard ends; the
// licence and the pictures are checked then and shown from the checked copy, the animation is
// checked where it is read (on the picture control's thread), and the package and the rest are
// checked as the installation worker copies them. In any other build files are read from the
// folder each time.
class CDataFiles {
public:
    // Opens every pinned file and checks the licence and the pictures (all of them, so that the
    // message can name each one that cannot be used). True when there are no pins or all is well;
    // else `changed` lists the rest.
    bool CheckAtStart(const std::string& dataDir, std::vector<core::ChangedFile>& changed);
    // The licence or a picture: the checked copy where there is one, else read from the folder.
    FileReadResult Read(const std::string& name) const;
    // The animation, once, from any thread: in a released program read through the handle held
    // since the start and checked against its pin, with `changed` saying what was wrong (and no
    // bytes) where it does not match.
    FileReadResult ReadAnimation(core::ChangedFile& changed) const;

private:
    struct HeldFile {
        std::string name;
        CHandle file;
        std::string bytes;  // the checked contents of the licence and the pictures
    };
    const HeldFile* Held(const std::string& name) const;

    std::string m_dataDir;
    core::ReleasePins m_pins;
    std::vector<HeldFile> m_held;  // filled at the start, then only read
};
