#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace core {

// What the version query reports, in the field widths of the platform's version structure.
struct OsVersion {
    uint32_t platformId = 0;
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint8_t productType = 0;
};

constexpr uint32_t kPlatformWin32Windows = 1;
constexpr uint32_t kPlatformWin32Nt = 2;
constexpr uint8_t kProductTypeWorkstation = 1;

// Size fields of the extended and of the basic version structure.
constexpr unsigned kOsVersionInfoExSize = 156;
constexpr unsigned kOsVersionInfoSize = 148;

// The classes the installation run accepts (XP to 8.1).
constexpr int kFirstAcceptedOsType = 8;
constexpr int kLastAcceptedOsType = 13;

// Asks the platform for its version with the structure size given (the Win32 side passes it to
// GetVersionExA); false when the query fails. `out` arrives cleared.
using OsVersionQuery = std::function<bool(unsigned structSize, OsVersion& out)>;

// The class of an operating system, or nothing where the class is to stay as it was.
std::optional<int> ClassifyOsVersion(const OsVersion& version);

// Queries the version (extended structure first, then the basic one) and writes its class into
// osType; leaves osType alone when both queries fail or the version has no class.
void CheckOsVersion(const OsVersionQuery& query, int& osType);

bool IsAcceptedOsType(int osType);

}  // namespace core
