#pragma once
// What the wizard tells the user when the installation run cannot go on.

#include "language.h"

#include <windows.h>

#include <cstdint>
#include <string>

struct RunFailureMessage {
    std::string text;
    UINT type;  // message box type: buttons and icon
};

// For kRunRefused: the refusal. For kRunStartFailed: the package (or the worker that would have
// started it) could not be started, with the system's text for `error`. For kExitUnexpectedError:
// the worker stopped on an exception.
RunFailureMessage RunFailureMessageFor(uint32_t exitCode, DWORD error, const std::string& packagePath,
                                       const core::Language& language);
