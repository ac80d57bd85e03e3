// What the test programs that drive the wizard share: where CMake put the two builds of its folder,
// and a fixture that starts it from a fresh copy of one, with the stand-in package in place.
// Header only: each program is compiled with its own SKYLARK_E2E_DIST and SKYLARK_E2E_TEST_DIST.
#pragma once

#include "resource.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace e2e {

// The shipped build keeps the 200 s Finish fallback, so there only the run brings the Finish page;
// the test build's fallback fires within seconds.
inline std::string ShippedDist() { return WindowsPathFromUnix(SKYLARK_E2E_DIST); }
inline std::string TestDist() { return WindowsPathFromUnix(SKYLARK_E2E_TEST_DIST); }
// The test build released: pinned to the data folder beside it, as scripts/release pins a vendor's.
inline std::string PinnedTestDist() { return WindowsPathFromUnix(SKYLARK_E2E_PINNED_TEST_DIST); }
// The same released with --package-codes none: the Finish page whatever the package's code.
inline std::string PinnedNoneTestDist() { return WindowsPathFromUnix(SKYLARK_E2E_PINNED_NONE_TEST_DIST); }

constexpr const char* kLongRun = "600";  // seconds the stand-in package runs: it outlives every test

class WizardFixture : public ::testing::Test {
protected:
    // A fresh copy of dist for the next start, after ending whatever an earlier start left.
    void MakeCopy(const std::string& dist, const DistCopyOptions& options) {
        m_wizard = std::make_unique<WizardDriver>();
        m_copy.reset();
        m_copy = std::make_unique<DistCopy>(dist, options);
        ASSERT_TRUE(m_copy->Ok()) << m_copy->Error();
        m_record = m_copy->Root() + "package-starts.txt";
    }

    // Starts the wizard from a fresh copy of dist, the stand-in package set to run for
    // standInSeconds each time the wizard starts it and to write each start as a line of m_record.
    // Does not wait for the wizard's window.
    void Launch(const std::string& dist, const DistCopyOptions& options, const char* standInSeconds) {
        ASSERT_NO_FATAL_FAILURE(MakeCopy(dist, options));
        ASSERT_TRUE(m_wizard->Start(
            m_copy->ExePath(), "", {{"SKYLARK_STANDIN_SECONDS", standInSeconds}, {"SKYLARK_STANDIN_RECORD", m_record}}))
            << LastErrorText();
    }

    // Launches the wizard (see Launch) and waits for its window.
    void Start(const std::string& dist, const DistCopyOptions& options = {}, const char* standInSeconds = kLongRun) {
        ASSERT_NO_FATAL_FAILURE(Launch(dist, options, standInSeconds));
        ASSERT_TRUE(m_wizard->WaitForWindow()) << "no wizard window";
    }

    std::string PackageStarts() const { return FileText(m_record); }

    // Ends the package, so that the run brings the Finish page. The Installing page shows before
    // the package has started, so this waits until the package runs its own code (its record is
    // written): a package not yet there would run on, and one ended while Wine was still starting
    // it was once seen, under the emulated 32-bit loader, to keep the run waiting past our patience.
    void EndPackage() {
        ASSERT_NE(FileTextOnceALineIsWritten(m_record, kWaitMs), "") << "the package never ran";
        // Exit code 0: as a package that installed the driver.
        ASSERT_GT(TerminateProcessesUnder(m_copy->Path("data\\"), 0), 0) << "the package was not running";
    }

    // Polls until a capture satisfies good (painting may still be going on), then returns the
    // last capture for the test's own assertions.
    template <typename Good>
    ClientSnapshot CaptureWhen(Good good, DWORD timeoutMs = 10000) {
        ClientSnapshot shot;
        WaitUntil([&] { return good(shot = m_wizard->CaptureClient()); }, timeoutMs);
        return shot;
    }

    // Distinct pictures the animation control shows within about two seconds; it stops looking
    // once it has seen three (a running animation shows several in that time).
    size_t DistinctAnimationFrames() {
        RECT frame = {};
        GetWindowRect(m_wizard->Control(IDC_ANIMATION), &frame);
        std::set<uint64_t> seen;
        WaitUntil([&] { return seen.insert(CaptureScreen(frame).Fingerprint()).second && seen.size() >= 3; }, 2200, 20);
        return seen.size();
    }

    std::unique_ptr<DistCopy> m_copy;  // outlives the process, which it also ends if need be
    std::unique_ptr<WizardDriver> m_wizard;
    std::string m_record;
};

}  // namespace e2e
