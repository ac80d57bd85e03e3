#pragma once
// The release's pins: the SHA-256 of each data file that the vendor released, recorded in the
// program when it is released (and so covered by its signature). A program with pins uses a data
// file only after it matched its pin; a program without pins (any build that was not released)
// checks nothing.

#include "package_outcome.h"
#include "sha256.h"

#include <string>
#include <utility>
#include <vector>

namespace core {

constexpr const char* kLicenceFileName = "License.txt";
constexpr const char* kAnimationFileName = "zv_reset_animation.gif";

// The files the wizard shows, in the order they are checked: before the first page (the animation
// where it is read, on the picture control's thread). The package and every other file the release
// pinned are checked as they are copied into the package's private folder, right before it starts.
extern const char* const kFilesShown[5];
bool IsShownFile(const std::string& name);

struct ReleasePins {
    bool pinned = false;  // the program was released: every data file must match its pin
    std::vector<std::pair<std::string, Sha256Digest>> digests;
    PackageCodes packageCodes = PackageCodes::Msi;  // what the package's exit codes mean

    // A file with no pin never matches: what the release did not record is not the release's.
    bool Matches(const std::string& name, const Sha256Digest& digest) const;
    // The pinned files beyond those shown: the package and whatever it brings beside it.
    std::vector<std::string> PackageFiles() const;
};

// A pinned name the package's private folder may hold: a path below it, parts split by '/', none
// empty, "." or "..", nor holding a character Windows names may not ('\\' ':' '*' and the like).
bool IsPlainRelativeName(const std::string& name);

// The pins' text, as sha256sum writes it for the data folder: one line a file,
// "<64 lower-case hex digits>  <name>\n", and at most one line "package-codes <msi|dpinst|none>\n"
// (msi without one). A text with any other line holds no pins at all, so that in a released
// program nothing matches.
ReleasePins ParseReleasePins(const std::string& text);

// What kept a released file from being used.
enum class FileProblem {
    Differs,  // not what the release pinned
    Missing,
    InUse,       // another program has it open and will not share it
    Unreadable,  // it could not be opened or read for another reason (`detail`)
    NotCopied,   // the package's private copy of it could not be written (`detail`)
};

struct ChangedFile {
    std::string path;  // full path, in data\ beside the program
    FileProblem problem = FileProblem::Differs;
    std::string detail;  // for Unreadable and NotCopied: the system's reason
};

// What the user is told when released files cannot be used: each one by its full path and what
// happened to it. A file in use or unreadable is said to be so, not to have been changed.
std::string ChangedFilesMessage(const std::vector<ChangedFile>& files, const Language& language);

}  // namespace core
