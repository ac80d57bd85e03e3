#include "run_failure.h"

#include "install_run.h"
#include "system_error.h"
#include "win_app.h"

RunFailureMessage RunFailureMessageFor(uint32_t exitCode, DWORD error, const std::string& packagePath) {
    if (exitCode == core::kRunRefused) return {"Driver not support Current OS type!", MB_OK};
    if (exitCode == static_cast<uint32_t>(kExitUnexpectedError))
        return {
            "Set-up stopped on an error it did not expect, and cannot tell whether the driver was "
            "installed.\r\n\r\nStart set-up again.",
            MB_OK | MB_ICONSTOP};
    return {
        "The driver package could not be started:\r\n" + packagePath + "\r\n\r\n" + SystemErrorText(error, packagePath),
        MB_OK | MB_ICONSTOP};
}
