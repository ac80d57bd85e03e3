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

// The files read before the first page, in the order they are checked; the package is checked
// apart, right before it is started.
extern const char* const kFilesCheckedAtStart[5];

struct ReleasePins {
    bool pinned = false;  // the program was released: every data file must match its pin
    std::vector<std::pair<std::string, Sha256Digest>> digests;
    PackageCodes packageCodes = PackageCodes::Msi;  // what the package's exit codes mean

    // A file with no pin never matches: what the release did not record is not the release's.
    bool Matches(const std::string& name, const Sha256Digest& digest) const;
};

// The pins' text, as sha256sum writes it for the data folder: one line a file,
// "<64 lower-case hex digits>  <name>\n", and at most one line "package-codes <msi|dpinst|none>\n"
// (msi without one). A text with any other line holds no pins at all, so that in a released
// program nothing matches.
ReleasePins ParseReleasePins(const std::string& text);

struct ChangedFile {
    std::string path;  // full path
    bool missing = false;
};

// What the user is told when released files are missing or differ from their pins.
std::string ChangedFilesMessage(const std::vector<ChangedFile>& files);

}  // namespace core
