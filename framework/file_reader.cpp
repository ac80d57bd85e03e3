#include "file_reader.h"

#include "kernel_handles.h"
#include "utf8.h"

namespace {

const DWORD kMaxFileSize = 256u * 1024u * 1024u;

FileReadResult Failure(DWORD error) {
    FileReadResult r;
    r.error = error;
    return r;
}

}  // namespace

FileReadResult ReadWholeFile(const std::string& path) {
    const CHandle file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Failure(::GetLastError());
    return ReadWholeFile(file.Get());
}

bool OpenHeldForReading(const std::string& path, CHandle& file, DWORD& error) {
    file.Attach(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    error = file ? ERROR_SUCCESS : ::GetLastError();
    return static_cast<bool>(file);
}

FileReadResult ReadWholeFile(HANDLE file) {
    DWORD high = 0;
    const DWORD low = ::GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return Failure(::GetLastError());
    if (high != 0 || low > kMaxFileSize) return Failure(ERROR_FILE_TOO_LARGE);

    FileReadResult result;
    result.bytes.resize(low);
    DWORD done = 0;
    while (done < low) {
        DWORD got = 0;
        if (!::ReadFile(file, &result.bytes[done], low - done, &got, nullptr)) return Failure(::GetLastError());
        if (got == 0) break;  // the file shrank while we read it: keep what is there
        done += got;
    }
    result.bytes.resize(done);
    result.ok = true;
    return result;
}
