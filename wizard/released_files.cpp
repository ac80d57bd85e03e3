#include "released_files.h"

#include "resource.h"

namespace {

const DWORD kHashPieceSize = 64 * 1024;

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The package may be large: hashed in pieces, never held in memory whole.
bool HashThrough(HANDLE file, core::Sha256Digest& digest) {
    core::Sha256 hash;
    std::string piece(kHashPieceSize, '\0');
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, &piece[0], kHashPieceSize, &got, nullptr)) return false;
        if (got == 0) break;
        hash.Update(piece.data(), got);
    }
    digest = hash.Final();
    return true;
}

}  // namespace

core::ReleasePins LoadReleasePins() {
    const HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_RELEASE_PINS), RT_RCDATA);
    if (!found) return {};
    const HGLOBAL loaded = ::LoadResource(nullptr, found);
    const void* text = loaded ? ::LockResource(loaded) : nullptr;
    // Pinned but unreadable pins: nothing matches, so nothing is used.
    if (!text) return {true, {}};
    return core::ParseReleasePins(std::string(static_cast<const char*>(text), ::SizeofResource(nullptr, found)));
}

PinCheck CheckAgainstPin(const core::ReleasePins& pins, const std::string& name, const std::string& path,
                         CHandle& held, std::string* bytes) {
    DWORD error = ERROR_SUCCESS;
    if (!OpenHeldForReading(path, held, error)) return IsMissing(error) ? PinCheck::Missing : PinCheck::Differs;
    core::Sha256Digest digest;
    if (bytes) {
        FileReadResult file = ReadWholeFile(held.Get());
        if (!file.ok) return PinCheck::Differs;
        digest = core::Sha256Of(file.bytes.data(), file.bytes.size());
        bytes->swap(file.bytes);
    } else if (!HashThrough(held.Get(), digest)) {
        return PinCheck::Differs;
    }
    return pins.Matches(name, digest) ? PinCheck::Matches : PinCheck::Differs;
}

bool CDataFiles::CheckAtStart(const std::string& dataDir, std::vector<core::ChangedFile>& changed) {
    m_dataDir = dataDir;
    const core::ReleasePins pins = LoadReleasePins();
    m_pinned = pins.pinned;
    if (!m_pinned) return true;
    for (size_t i = 0; i < sizeof(m_held) / sizeof(m_held[0]); ++i) {
        HeldFile& file = m_held[i];
        file.name = core::kFilesCheckedAtStart[i];
        const std::string path = dataDir + file.name;
        const PinCheck check = CheckAgainstPin(pins, file.name, path, file.file, &file.bytes);
        if (check != PinCheck::Matches) changed.push_back({path, check == PinCheck::Missing});
    }
    return changed.empty();
}

FileReadResult CDataFiles::Read(const std::string& name) const {
    if (m_pinned) {
        for (const HeldFile& file : m_held) {
            if (file.name != name) continue;
            FileReadResult result;
            result.ok = true;
            result.bytes = file.bytes;
            return result;
        }
        FileReadResult unpinned;  // not the release's: never read
        unpinned.error = ERROR_ACCESS_DENIED;
        return unpinned;
    }
    return ReadWholeFile(m_dataDir + name);
}
