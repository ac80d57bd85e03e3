#include "os_version.h"

namespace core {

namespace {

constexpr int kUnknownNtWorkstation = 14;
constexpr int kUnknownNtServer = 15;

std::optional<int> ClassifyWin9x(const OsVersion& v) {
    if (v.majorVersion != 4) return std::nullopt;
    switch (v.minorVersion) {
        case 0:
            return 2;
        case 10:
            return (v.buildNumber & 0xFFFFu) == 2222 ? 4 : 3;  // 98 SE keeps 2222 in the low word
        case 90:
            return 5;
        default:
            return std::nullopt;
    }
}

int ClassifyUnknownNt(const OsVersion& v) {
    return v.productType == kProductTypeWorkstation ? kUnknownNtWorkstation : kUnknownNtServer;
}

std::optional<int> ClassifyNt(const OsVersion& v) {
    if (v.majorVersion <= 4) return 6;
    if (v.majorVersion == 5) {
        switch (v.minorVersion) {
            case 0:
                return 7;
            case 1:
                return 8;
            case 2:
                return v.productType == kProductTypeWorkstation ? 10 : 9;
            default:
                return ClassifyUnknownNt(v);
        }
    }
    if (v.majorVersion == 6) {
        switch (v.minorVersion) {
            case 0:
                return 11;
            case 1:
                return 12;
            case 2:
            case 3:
                return 13;
            default:
                return std::nullopt;
        }
    }
    return ClassifyUnknownNt(v);
}

}  // namespace

std::optional<int> ClassifyOsVersion(const OsVersion& version) {
    switch (version.platformId) {
        case kPlatformWin32Windows:
            return ClassifyWin9x(version);
        case kPlatformWin32Nt:
            return ClassifyNt(version);
        default:
            return std::nullopt;
    }
}

void CheckOsVersion(const OsVersionQuery& query, int& osType) {
    OsVersion version;
    if (!query(kOsVersionInfoExSize, version)) {
        version = OsVersion();
        if (!query(kOsVersionInfoSize, version)) return;
        // The basic structure has no product type: it keeps the value it was cleared to.
        version.productType = 0;
    }
    if (const std::optional<int> osClass = ClassifyOsVersion(version)) osType = *osClass;
}

bool IsAcceptedOsType(int osType) { return osType >= kFirstAcceptedOsType && osType <= kLastAcceptedOsType; }

}  // namespace core
