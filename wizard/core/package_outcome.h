#pragma once

// What the driver package's exit code says about the installation, in the language of codes its
// vendor declared at release: Windows Installer's (as Burn reads them too), the Windows driver
// installer's bit mask, or none at all.

#include "language.h"

#include <cstdint>
#include <string>

namespace core {

enum class PackageCodes {
    Msi,     // 0 done; 3010, 3011 done, restart needed; 1641 done, restart started; else failed
    DpInst,  // 0x80000000 set: failed; 0x40000000 set: restart needed; else done (staged included)
    None,    // nothing is read from the code: always done
};

// "msi", "dpinst" or "none"; false for anything else.
bool ParsePackageCodes(const std::string& word, PackageCodes& codes);
const char* PackageCodesName(PackageCodes codes);

enum class PackageOutcome {
    Done,
    RestartNeeded,
    RestartStarted,  // the package has begun restarting the computer itself
    Failed,
    Cancelled,              // Windows Installer's 1602
    AnotherInstallRunning,  // Windows Installer's 1618
    Unknown,                // the package's code could not be learnt
};

// The wizard's exit codes for the package's outcomes.
constexpr uint32_t kExitRestartNeeded = 3010;
constexpr uint32_t kExitRestartStarted = 1641;
constexpr uint32_t kRunPackageFailed = 7;

struct PackageVerdict {
    PackageOutcome outcome = PackageOutcome::Unknown;
    bool installed = false;                 // the Finish page comes; else the failure's message
    bool restart = false;                   // the Finish page asks for a restart before the adapter goes in
    uint32_t exitCode = kRunPackageFailed;  // the wizard's, after Finish or after the message
};

// codeKnown false: the package's processes have all ended, but none of their codes could be read.
PackageVerdict VerdictFor(PackageCodes codes, bool codeKnown, uint32_t code);
// What the wizard does for an outcome.
PackageVerdict VerdictOf(PackageOutcome outcome);

// What the user is told when the package did not install the driver: the code in decimal, and for
// a code above 0x7FFFFFFF (a crash's, a bit mask's) in hexadecimal too.
std::string PackageFailureMessage(PackageOutcome outcome, uint32_t code, const Language& language);

}  // namespace core
