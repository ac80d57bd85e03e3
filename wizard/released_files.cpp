#include "released_files.h"

#include "resource.h"
#include "system_error.h"

#include <iterator>
#include <memory>

namespace {

const DWORD kHashPieceSize = 64 * 1024;

PinCheck Problem(core::FileProblem problem, DWORD error = ERROR_SUCCESS) {
    PinCheck check;
    check.problem = problem;
    check.error = error;
    return check;
}

PinCheck Unreadable(DWORD error) { return Problem(core::FileProblem::Unreadable, error); }

// The package may be large: hashed in pieces, never held in memory whole.
bool HashThrough(HANDLE file, core::Sha256Digest& digest, DWORD& error) {
    core::Sha256 hash;
    std::string piece(kHashPieceSize, '\0');
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, &piece[0], kHashPieceSize, &got, nullptr)) {
            error = ::GetLastError();
            return false;
        }
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

core::ChangedFile ChangedFileOf(const std::string& path, const PinCheck& check) {
    core::ChangedFile changed;
    changed.path = path;
    changed.problem = check.problem;
    if (check.problem == core::FileProblem::Unreadable || check.problem == core::FileProblem::NotCopied)
        changed.detail = SystemErrorText(check.error, path);
    return changed;
}

PinCheck OpenHeld(const std::string& path, CHandle& held) {
    DWORD error = ERROR_SUCCESS;
    if (OpenHeldForReading(path, held, error)) {
        PinCheck opened;
        opened.matches = true;
        return opened;
    }
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return Problem(core::FileProblem::Missing, error);
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Problem(core::FileProblem::InUse, error);
        default:
            return Unreadable(error);
    }
}

PinCheck CheckHeld(const core::ReleasePins& pins, const std::string& name, HANDLE held, std::string* bytes) {
    if (::SetFilePointer(held, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return Unreadable(::GetLastError());
    core::Sha256Digest digest;
    if (bytes) {
        FileReadResult file = ReadWholeFile(held);
        if (!file.ok) return Unreadable(file.error);
        digest = core::Sha256Of(file.bytes.data(), file.bytes.size());
        bytes->swap(file.bytes);
    } else {
        DWORD error = ERROR_SUCCESS;
        if (!HashThrough(held, digest, error)) return Unreadable(error);
    }
    PinCheck check;
    check.matches = pins.Matches(name, digest);
    return check;
}

void ReportChangedFiles(HWND wizard, const std::vector<core::ChangedFile>& files) {
    auto* reported = new std::vector<core::ChangedFile>(files);
    if (!::PostMessageW(wizard, WM_APP_FILES_CHANGED, 0, reinterpret_cast<LPARAM>(reported))) delete reported;
}

std::vector<core::ChangedFile> TakeChangedFiles(LPARAM reported) {
    std::unique_ptr<std::vector<core::ChangedFile>> files(reinterpret_cast<std::vector<core::ChangedFile>*>(reported));
    return files ? std::move(*files) : std::vector<core::ChangedFile>();
}

std::string PathOfPinned(const std::string& folder, const std::string& name) {
    std::string path = folder + name;
    for (size_t at = folder.size(); at < path.size(); ++at) {
        if (path[at] == '/') path[at] = '\\';
    }
    return path;
}

bool CDataFiles::CheckAtStart(const std::string& dataDir, std::vector<core::ChangedFile>& changed) {
    m_dataDir = dataDir;
    m_pins = LoadReleasePins();
    if (!m_pins.pinned) return true;
    // The shown files first, in their order, then the package's.
    std::vector<std::string> names(std::begin(core::kFilesShown), std::end(core::kFilesShown));
    for (const std::string& name : m_pins.PackageFiles()) names.push_back(name);
    m_held.reserve(names.size());
    for (const std::string& name : names) {
        const std::string path = PathOfPinned(dataDir, name);
        HeldFile file;
        file.name = name;
        PinCheck check =
            core::IsPlainRelativeName(name) ? OpenHeld(path, file.file) : Problem(core::FileProblem::Differs);
        // The licence and the pictures are small: checked now. The animation may be large, and the
        // package's files are checked as they are copied.
        const bool checkedNow = core::IsShownFile(name) && name != core::kAnimationFileName;
        if (check.matches && checkedNow) check = CheckHeld(m_pins, name, file.file.Get(), &file.bytes);
        if (!check.matches) changed.push_back(ChangedFileOf(path, check));
        m_held.push_back(std::move(file));
    }
    return changed.empty();
}

const CDataFiles::HeldFile* CDataFiles::Held(const std::string& name) const {
    for (const HeldFile& file : m_held) {
        if (file.name == name) return &file;
    }
    return nullptr;
}

FileReadResult CDataFiles::Read(const std::string& name) const {
    if (!m_pins.pinned) return ReadWholeFile(m_dataDir + name);
    FileReadResult result;
    const HeldFile* held = Held(name);
    if (!held || name == core::kAnimationFileName) {
        result.error = ERROR_ACCESS_DENIED;  // not the release's, or not checked here: never read
        return result;
    }
    result.ok = true;
    result.bytes = held->bytes;
    return result;
}

FileReadResult CDataFiles::ReadAnimation(core::ChangedFile& changed) const {
    const std::string path = m_dataDir + core::kAnimationFileName;
    if (!m_pins.pinned) return ReadWholeFile(path);
    FileReadResult result;
    const HeldFile* held = Held(core::kAnimationFileName);
    const PinCheck check =
        held ? CheckHeld(m_pins, held->name, held->file.Get(), &result.bytes) : Problem(core::FileProblem::Differs);
    if (check.matches) {
        result.ok = true;
        return result;
    }
    changed = ChangedFileOf(path, check);
    result.bytes.clear();
    result.error = ERROR_ACCESS_DENIED;
    return result;
}
