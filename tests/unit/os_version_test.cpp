#include "os_version.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace core;

namespace {

constexpr uint8_t kWorkstation = 1;
constexpr uint8_t kDomainController = 2;
constexpr uint8_t kServer = 3;

struct ClassCase {
    uint32_t platformId, major, minor, build;
    uint8_t productType;
    std::optional<int> expected;
};

std::ostream& operator<<(std::ostream& os, const ClassCase& c) {
    return os << "platform " << c.platformId << " " << c.major << "." << c.minor << " build 0x" << std::hex << c.build
              << std::dec << " product " << int(c.productType);
}

class ClassifyOsVersionTest : public testing::TestWithParam<ClassCase> {};

TEST_P(ClassifyOsVersionTest, FollowsClassTable) {
    const ClassCase& c = GetParam();
    OsVersion v;
    v.platformId = c.platformId;
    v.majorVersion = c.major;
    v.minorVersion = c.minor;
    v.buildNumber = c.build;
    v.productType = c.productType;
    EXPECT_EQ(ClassifyOsVersion(v), c.expected);
}

const std::optional<int> kUnchanged;

INSTANTIATE_TEST_SUITE_P(
    Nt, ClassifyOsVersionTest,
    testing::Values(ClassCase{2, 3, 51, 1057, 0, 6}, ClassCase{2, 4, 0, 1381, kWorkstation, 6},
                    ClassCase{2, 5, 0, 2195, kWorkstation, 7}, ClassCase{2, 5, 1, 2600, kWorkstation, 8},
                    ClassCase{2, 5, 1, 2600, kServer, 8}, ClassCase{2, 5, 2, 3790, 0, 9},
                    ClassCase{2, 5, 2, 3790, kWorkstation, 10}, ClassCase{2, 5, 2, 3790, kDomainController, 9},
                    ClassCase{2, 5, 2, 3790, kServer, 9}, ClassCase{2, 5, 3, 0, kWorkstation, 14},
                    ClassCase{2, 5, 3, 0, kServer, 15}, ClassCase{2, 5, 3, 0, 0, 15},
                    ClassCase{2, 5, 99, 0, kWorkstation, 14}, ClassCase{2, 6, 0, 6002, kWorkstation, 11},
                    ClassCase{2, 6, 0, 6002, kServer, 11}, ClassCase{2, 6, 1, 7601, kWorkstation, 12},
                    ClassCase{2, 6, 2, 9200, kWorkstation, 13}, ClassCase{2, 6, 3, 9600, kServer, 13},
                    ClassCase{2, 6, 4, 9841, kWorkstation, kUnchanged}, ClassCase{2, 6, 4, 9841, kServer, kUnchanged},
                    ClassCase{2, 7, 0, 0, kWorkstation, 14}, ClassCase{2, 10, 0, 19045, kWorkstation, 14},
                    ClassCase{2, 10, 0, 20348, kServer, 15}, ClassCase{2, 10, 0, 20348, kDomainController, 15},
                    ClassCase{2, 10, 0, 20348, 0, 15}));

INSTANTIATE_TEST_SUITE_P(Win9x, ClassifyOsVersionTest,
                         testing::Values(ClassCase{1, 4, 0, 950, 0, 2}, ClassCase{1, 4, 10, 2222, 0, 4},
                                         ClassCase{1, 4, 10, 0x00012222, 0, 3},  // 0x2222 is not 2222
                                         ClassCase{1, 4, 10, 0x00010000 + 2222, 0, 4},
                                         ClassCase{1, 4, 10, 0x040A08AE, 0,
                                                   4},  // 98 SE as reported: 4.10 above 2222 (0x08AE)
                                         ClassCase{1, 4, 10, 0x040A07CE, 0, 3},  // 98: 4.10 above 1998
                                         ClassCase{1, 4, 10, 2223, 0, 3}, ClassCase{1, 4, 90, 3000, 0, 5},
                                         ClassCase{1, 4, 3, 0, 0, kUnchanged}, ClassCase{1, 5, 0, 0, 0, kUnchanged},
                                         ClassCase{1, 3, 10, 2222, 0, kUnchanged}));

INSTANTIATE_TEST_SUITE_P(OtherPlatforms, ClassifyOsVersionTest,
                         testing::Values(ClassCase{0, 3, 10, 0, 0, kUnchanged},  // Win32s
                                         ClassCase{3, 5, 1, 0, 0, kUnchanged},   // CE, even with XP's numbers
                                         ClassCase{3, 6, 1, 0, kWorkstation, kUnchanged}));

// A scripted version query that records the structure sizes it was asked for.
struct FakeQuery {
    std::vector<bool> succeeds;  // per call
    OsVersion reported;
    std::vector<unsigned> sizes;
    bool receivedDirtyBuffer = false;

    OsVersionQuery Get() {
        return [this](unsigned size, OsVersion& out) {
            const size_t call = sizes.size();
            sizes.push_back(size);
            receivedDirtyBuffer |= out.platformId != 0 || out.majorVersion != 0 || out.minorVersion != 0 ||
                                   out.buildNumber != 0 || out.productType != 0;
            // A failing query still scribbles, so that reuse of a dirty buffer would show.
            out = reported;
            return call < succeeds.size() && succeeds[call];
        };
    }
};

OsVersion Nt(uint32_t major, uint32_t minor, uint8_t productType) {
    OsVersion v;
    v.platformId = 2;
    v.majorVersion = major;
    v.minorVersion = minor;
    v.buildNumber = 3790;
    v.productType = productType;
    return v;
}

TEST(CheckOsVersionTest, QueryOrderAndResult) {
    constexpr int kUntouched = -7;
    struct Case {
        const char* name;
        std::vector<bool> succeeds;
        OsVersion reported;
        std::vector<unsigned> expectedSizes;
        int expectedOsType;
    };
    const Case cases[] = {
        {"extended query answers", {true}, Nt(5, 2, kWorkstation), {156}, 10},
        {"basic query has no product type", {false, true}, Nt(5, 2, kWorkstation), {156, 148}, 9},
        {"basic query, 10.0 counts as server", {false, true}, Nt(10, 0, kWorkstation), {156, 148}, 15},
        {"basic query, XP", {false, true}, Nt(5, 1, kWorkstation), {156, 148}, 8},
        {"both queries fail", {false, false}, Nt(5, 1, kWorkstation), {156, 148}, kUntouched},
        {"no class for 6.4", {true}, Nt(6, 4, kWorkstation), {156}, kUntouched},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeQuery query;
        query.succeeds = c.succeeds;
        query.reported = c.reported;
        int osType = kUntouched;
        CheckOsVersion(query.Get(), osType);
        EXPECT_EQ(query.sizes, c.expectedSizes);
        EXPECT_EQ(osType, c.expectedOsType);
        EXPECT_FALSE(query.receivedDirtyBuffer);
    }
}

}  // namespace
