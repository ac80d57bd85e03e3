#pragma once
// The data files of a released program: each checked against the pin its release recorded, and
// held from the check until its last use, so that what was checked is what is used.

#include "file_reader.h"
#include "kernel_handles.h"
#include "release_pins.h"

#include <windows.h>

#include <string>
#include <vector>

// The pins recorded in the program by its release; none (pinned false) in any other build.
core::ReleasePins LoadReleasePins();

enum class PinCheck { Matches, Missing, Differs };

// Opens the file held (others may only read it), hashes it whole through that handle and compares
// it with its pin. The handle stays in `held` whatever the verdict; a file that cannot be opened
// (or read) for any reason but its absence differs: it cannot be shown to be the one released.
// `bytes`, when given, receives the file's contents (small files, used from memory afterwards).
PinCheck CheckAgainstPin(const core::ReleasePins& pins, const std::string& name, const std::string& path,
                         CHandle& held, std::string* bytes);

// The files the wizard reads before its first page and again later (the licence, the background
// pictures, the animation). In a released program they are checked once, held until the wizard
// ends and read from the checked copy; in any other build they are read from the folder each time.
class CDataFiles {
public:
    // Checks every file (all of them, so that the message can name each one that changed). True
    // when there are no pins or all match; else `changed` lists the rest.
    bool CheckAtStart(const std::string& dataDir, std::vector<core::ChangedFile>& changed);
    // A file of data\ by name: the checked copy where there is one, else read from the folder.
    FileReadResult Read(const std::string& name) const;

private:
    struct HeldFile {
        std::string name;
        CHandle file;
        std::string bytes;
    };

    std::string m_dataDir;
    HeldFile m_held[sizeof(core::kFilesCheckedAtStart) / sizeof(core::kFilesCheckedAtStart[0])];
    bool m_pinned = false;
};
