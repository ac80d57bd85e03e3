#include "package_outcome.h"

#include <cstdio>

namespace core {

namespace {

constexpr uint32_t kMsiRestartRequired = 3010;
constexpr uint32_t kMsiRestartRequiredToContinue = 3011;
constexpr uint32_t kMsiRestartInitiated = 1641;
constexpr uint32_t kMsiUserExit = 1602;
constexpr uint32_t kMsiInstallAlreadyRunning = 1618;
constexpr uint32_t kDpInstFailed = 0x80000000u;
constexpr uint32_t kDpInstRestart = 0x40000000u;

PackageOutcome MsiOutcome(uint32_t code) {
    switch (code) {
        case 0:
            return PackageOutcome::Done;
        case kMsiRestartRequired:
        case kMsiRestartRequiredToContinue:
            return PackageOutcome::RestartNeeded;
        case kMsiRestartInitiated:
            return PackageOutcome::RestartStarted;
        case kMsiUserExit:
            return PackageOutcome::Cancelled;
        case kMsiInstallAlreadyRunning:
            return PackageOutcome::AnotherInstallRunning;
        default:
            return PackageOutcome::Failed;
    }
}

PackageOutcome DpInstOutcome(uint32_t code) {
    if (code & kDpInstFailed) return PackageOutcome::Failed;
    if (code & kDpInstRestart) return PackageOutcome::RestartNeeded;
    // The low bytes count the drivers installed and staged; a driver only staged (no device
    // plugged in yet) is the usual outcome before the adapter goes in.
    return PackageOutcome::Done;
}

}  // namespace

bool ParsePackageCodes(const std::string& word, PackageCodes& codes) {
    for (PackageCodes kind : {PackageCodes::Msi, PackageCodes::DpInst, PackageCodes::None}) {
        if (word == PackageCodesName(kind)) {
            codes = kind;
            return true;
        }
    }
    return false;
}

const char* PackageCodesName(PackageCodes codes) {
    switch (codes) {
        case PackageCodes::DpInst:
            return "dpinst";
        case PackageCodes::None:
            return "none";
        case PackageCodes::Msi:
            break;
    }
    return "msi";
}

PackageVerdict VerdictFor(PackageCodes codes, bool codeKnown, uint32_t code) {
    if (codes == PackageCodes::None) return VerdictOf(PackageOutcome::Done);
    if (!codeKnown) return VerdictOf(PackageOutcome::Unknown);
    return VerdictOf(codes == PackageCodes::DpInst ? DpInstOutcome(code) : MsiOutcome(code));
}

PackageVerdict VerdictOf(PackageOutcome outcome) {
    PackageVerdict verdict;
    verdict.outcome = outcome;
    switch (outcome) {
        case PackageOutcome::Done:
            verdict.installed = true;
            verdict.exitCode = 0;
            break;
        case PackageOutcome::RestartNeeded:
        case PackageOutcome::RestartStarted:
            verdict.installed = true;
            verdict.restart = true;
            verdict.exitCode = outcome == PackageOutcome::RestartNeeded ? kExitRestartNeeded : kExitRestartStarted;
            break;
        default:
            break;  // not installed: the message, then kRunPackageFailed
    }
    return verdict;
}

std::string PackageFailureMessage(PackageOutcome outcome, uint32_t code, const Language& language) {
    char number[40];
    if (code > 0x7FFFFFFFu)
        std::snprintf(number, sizeof number, "%lu (0x%08lX)", static_cast<unsigned long>(code),
                      static_cast<unsigned long>(code));
    else
        std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(code));
    const std::vector<std::pair<const char*, std::string>> values = {{"code", number}};
    switch (outcome) {
        case PackageOutcome::Cancelled:
            return Fill(language[Text::PackageCancelled], values);
        case PackageOutcome::AnotherInstallRunning:
            return Fill(language[Text::PackageBusy], values);
        case PackageOutcome::Unknown:
            return language[Text::PackageUnknown];
        default:
            return Fill(language[Text::PackageFailed], values);
    }
}

}  // namespace core
