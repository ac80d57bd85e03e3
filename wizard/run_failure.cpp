#include "run_failure.h"

#include "install_run.h"
#include "system_error.h"
#include "win_app.h"

RunFailureMessage RunFailureMessageFor(uint32_t exitCode, DWORD error, const std::string& packagePath,
                                       const core::Language& language) {
    if (exitCode == core::kRunRefused) return {language[core::Text::OsRefused], MB_OK};
    if (exitCode == static_cast<uint32_t>(kExitUnexpectedError))
        return {language[core::Text::UnexpectedError], MB_OK | MB_ICONSTOP};
    return {core::Fill(language[core::Text::PackageNotStarted],
                       {{"path", packagePath}, {"error", SystemErrorText(error, packagePath)}}),
            MB_OK | MB_ICONSTOP};
}
