#include "package_outcome.h"

#include <gtest/gtest.h>

#include <string>

using namespace core;

namespace {

// Every kind of codes a release may name, over the codes that mean something to one of them.
TEST(PackageOutcomeTest, EachKindOfCodesReadsTheCodeItsOwnWay) {
    constexpr PackageOutcome kDone = PackageOutcome::Done, kRestart = PackageOutcome::RestartNeeded,
                             kFailed = PackageOutcome::Failed;
    const struct {
        PackageCodes codes;
        uint32_t code;
        PackageOutcome outcome;
        uint32_t exitCode;
    } cases[] = {
        {PackageCodes::Msi, 0, kDone, 0},
        {PackageCodes::Msi, 3010, kRestart, 3010},
        {PackageCodes::Msi, 3011, kRestart, 3010},
        {PackageCodes::Msi, 1641, PackageOutcome::RestartStarted, 1641},
        {PackageCodes::Msi, 1602, PackageOutcome::Cancelled, 7},
        {PackageCodes::Msi, 1618, PackageOutcome::AnotherInstallRunning, 7},
        {PackageCodes::Msi, 1603, kFailed, 7},
        {PackageCodes::Msi, 1, kFailed, 7},
        {PackageCodes::Msi, 0xC0000005, kFailed, 7},
        {PackageCodes::Msi, 0x40000000, kFailed, 7},
        {PackageCodes::DpInst, 0, kDone, 0},
        {PackageCodes::DpInst, 0x00000100, kDone, 0},  // a driver staged, no device yet
        {PackageCodes::DpInst, 0x40000001, kRestart, 3010},
        {PackageCodes::DpInst, 0x80000001, kFailed, 7},
        {PackageCodes::DpInst, 0xC0000000, kFailed, 7},
        {PackageCodes::DpInst, 3010, kDone, 0},
        {PackageCodes::None, 1603, kDone, 0},
        {PackageCodes::None, 0xC0000005, kDone, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(PackageCodesName(c.codes)) + " " + std::to_string(c.code));
        const PackageVerdict verdict = VerdictFor(c.codes, true, c.code);
        EXPECT_EQ(verdict.outcome, c.outcome);
        EXPECT_EQ(verdict.exitCode, c.exitCode);
        EXPECT_EQ(verdict.installed, c.exitCode != 7);
        EXPECT_EQ(verdict.restart, c.exitCode == 3010 || c.exitCode == 1641);
        PackageCodes parsed = PackageCodes::None;
        EXPECT_TRUE(ParsePackageCodes(PackageCodesName(c.codes), parsed));
        EXPECT_EQ(parsed, c.codes);
    }
    // A code nobody could read is never taken for success, unless the codes mean nothing anyway.
    EXPECT_EQ(VerdictFor(PackageCodes::Msi, false, 0).outcome, PackageOutcome::Unknown);
    EXPECT_EQ(VerdictFor(PackageCodes::DpInst, false, 0).exitCode, kRunPackageFailed);
    EXPECT_TRUE(VerdictFor(PackageCodes::None, false, 0).installed);
    PackageCodes parsed;
    EXPECT_FALSE(ParsePackageCodes("MSI", parsed));
    EXPECT_FALSE(ParsePackageCodes("", parsed));
}

TEST(PackageOutcomeTest, TheMessageGivesTheCodeInDecimalAndAboveTheSignBitInHex) {
    const std::string failed = PackageFailureMessage(PackageOutcome::Failed, 1603, Language());
    EXPECT_NE(failed.find("not installed"), std::string::npos);
    EXPECT_NE(failed.find("code 1603."), std::string::npos);
    EXPECT_NE(
        PackageFailureMessage(PackageOutcome::Failed, 0xC0000005, Language()).find("code 3221225477 (0xC0000005)."),
        std::string::npos);
    EXPECT_NE(PackageFailureMessage(PackageOutcome::Failed, 0x7FFFFFFF, Language()).find("code 2147483647."),
              std::string::npos);
    EXPECT_NE(PackageFailureMessage(PackageOutcome::Cancelled, 1602, Language()).find("cancelled"), std::string::npos);
    EXPECT_NE(
        PackageFailureMessage(PackageOutcome::AnotherInstallRunning, 1618, Language()).find("another installation"),
        std::string::npos);
}

}  // namespace
