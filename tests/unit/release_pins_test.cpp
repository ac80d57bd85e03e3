#include "release_pins.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace core;

namespace {

const std::string kLicenceHex = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";  // of "abc"
const std::string kPackageHex = std::string(64, '0');

Sha256Digest DigestOf(const std::string& text) { return Sha256Of(text.data(), text.size()); }

TEST(ReleasePinsTest, SumsTextPinsEachFile) {
    const ReleasePins pins = ParseReleasePins(kLicenceHex + "  License.txt\n" + kPackageHex + "  Skylark48.exe\n");
    EXPECT_TRUE(pins.pinned);
    EXPECT_TRUE(pins.Matches("License.txt", DigestOf("abc")));
    EXPECT_TRUE(pins.Matches("Skylark48.exe", Sha256Digest{}));
    EXPECT_FALSE(pins.Matches("License.txt", DigestOf("abd")));    // one byte off
    EXPECT_FALSE(pins.Matches("Skylark48.exe", DigestOf("abc")));  // another file's contents
    EXPECT_FALSE(pins.Matches("main96DPI.jpg", DigestOf("abc")));  // not pinned: never matches
    EXPECT_FALSE(pins.Matches("license.txt", DigestOf("abc")));    // names are exact
    EXPECT_EQ(pins.packageCodes, PackageCodes::Msi);               // without a word of the release's

    const ReleasePins dpinst = ParseReleasePins(kLicenceHex + "  License.txt\npackage-codes dpinst\n");
    EXPECT_EQ(dpinst.packageCodes, PackageCodes::DpInst);
    EXPECT_TRUE(dpinst.Matches("License.txt", DigestOf("abc")));
}

// A pins text that is not exactly what the release writes pins nothing, so nothing matches.
TEST(ReleasePinsTest, AnyFaultyLinePinsNothing) {
    const std::string good = kLicenceHex + "  License.txt\n";
    const std::string faulty[] = {
        good + kLicenceHex + "  License.txt\n",                    // a second pin for one file
        good + kLicenceHex + "  Skylark48.exe",                    // the last line cut short
        good + kLicenceHex.substr(1) + "  Skylark48.exe\n",        // 63 digits
        good + "B" + kLicenceHex.substr(1) + "  Skylark48.exe\n",  // upper case
        good + kLicenceHex + " Skylark48.exe\n",                   // one space
        good + kLicenceHex + "  \n",                               // no name
        good + "\n",                                               // an empty line
        good + "g" + kLicenceHex.substr(1) + "  Skylark48.exe\n",  // not hex
        good + "package-codes wix\n",                              // codes nobody knows
        good + "package-codes none\npackage-codes msi\n",          // two words for them
    };
    for (const std::string& text : faulty) {
        SCOPED_TRACE(text);
        const ReleasePins pins = ParseReleasePins(text);
        EXPECT_TRUE(pins.pinned);
        EXPECT_FALSE(pins.Matches("License.txt", DigestOf("abc")));
    }
    EXPECT_TRUE(ParseReleasePins("").pinned);  // a release that pinned nothing lets nothing through
}

TEST(ReleasePinsTest, MessageNamesEveryFileByItsFullPathAndWhatHappenedToIt) {
    const std::string fresh =
        "\r\nSet-up cannot continue. Get a fresh copy of the set-up (from the adapter's disc or its download "
        "page) and start it again.";
    EXPECT_EQ(ChangedFilesMessage({{"C:\\Setup\\data\\License.txt", FileProblem::Differs, ""},
                                   {"C:\\Setup\\data\\main96DPI.jpg", FileProblem::Missing, ""},
                                   {"C:\\Setup\\data\\Skylark48.exe", FileProblem::InUse, ""}},
                                  Language()),
              "The set-up files are damaged or have been changed:\r\n\r\n"
              "C:\\Setup\\data\\License.txt\r\n"
              "C:\\Setup\\data\\main96DPI.jpg (missing)\r\n"
              "C:\\Setup\\data\\Skylark48.exe (in use by another program: close it and start set-up again)\r\n" +
                  fresh);
    // Nothing changed, only kept from use: said so, and no fresh copy is asked for.
    EXPECT_EQ(ChangedFilesMessage({{"C:\\Setup\\data\\License.txt", FileProblem::Unreadable, "Access is denied."}},
                                  Language()),
              "Set-up could not read its files:\r\n\r\n"
              "C:\\Setup\\data\\License.txt (could not be read: Access is denied.)\r\n"
              "\r\nSet-up cannot continue.");
}

// The package's files are the pinned ones the wizard does not show, and lie below the folder.
TEST(ReleasePinsTest, ThePackagesFilesArePlainNamesBelowTheFolder) {
    const ReleasePins pins = ParseReleasePins(kLicenceHex + "  License.txt\n" + kPackageHex + "  Skylark48.exe\n" +
                                              kPackageHex + "  drivers/skylark.inf\n");
    EXPECT_EQ(pins.PackageFiles(), (std::vector<std::string>{"Skylark48.exe", "drivers/skylark.inf"}));
    for (const char* name : {"Skylark48.exe", "drivers/skylark.inf", "a b/c.d"}) EXPECT_TRUE(IsPlainRelativeName(name));
    for (const char* name : {"", "/x", "x/", "../x", "a/./b", "a\\b", "C:x", "a*", "a/\x01"})
        EXPECT_FALSE(IsPlainRelativeName(name)) << name;
}

}  // namespace
