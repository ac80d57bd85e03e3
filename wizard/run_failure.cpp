#include "run_failure.h"

#include "install_run.h"
#include "release_pins.h"
#include "win_app.h"

namespace {

// The system's text for an error; an insert in it ("Bad EXE format for %1.") names `subject`.
std::string SystemErrorText(DWORD error, const std::string& subject) {
    char* text = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result;
    if (length && text) result.assign(text, length);
    if (text) ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    if (result.empty()) result = "Error " + std::to_string(error) + ".";
    for (size_t at = result.find("%1"); at != std::string::npos; at = result.find("%1", at + subject.size()))
        result.replace(at, 2, subject);
    return result;
}

}  // namespace

RunFailureMessage RunFailureMessageFor(uint32_t exitCode, DWORD error, const std::string& packagePath) {
    if (exitCode == core::kRunRefused) return {"Driver not support Current OS type!", MB_OK};
    if (exitCode == core::kRunFilesChanged)
        return {core::ChangedFilesMessage({{packagePath, error == ERROR_FILE_NOT_FOUND}}), MB_OK | MB_ICONSTOP};
    if (exitCode == static_cast<uint32_t>(kExitUnexpectedError))
        return {
            "Set-up stopped on an error it did not expect, and cannot tell whether the driver was "
            "installed.\r\n\r\nStart set-up again.",
            MB_OK | MB_ICONSTOP};
    return {
        "The driver package could not be started:\r\n" + packagePath + "\r\n\r\n" + SystemErrorText(error, packagePath),
        MB_OK | MB_ICONSTOP};
}
