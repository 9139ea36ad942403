#include <gtest/gtest.h>

#include "engine/elevation.h"

namespace {

TEST(Elevation, OnlyAWindowAboveOurLevelKeepsItsKeysFromTheHook) {
    constexpr std::uint32_t kLow = 0x1000;
    const struct {
        const char* name;
        IntegrityReading reading;
        std::uint32_t theirs, ours;
        bool above;
    } cases[] = {
        {"an ordinary program", IntegrityReading::Known, kIntegrityMedium, kIntegrityMedium, false},
        {"run as administrator", IntegrityReading::Known, kIntegrityHigh, kIntegrityMedium, true},
        {"a system process", IntegrityReading::Known, kIntegritySystem, kIntegrityMedium, true},
        {"a sandboxed browser tab", IntegrityReading::Known, kLow, kIntegrityMedium, false},
        {"Medium plus (UIAccess)", IntegrityReading::Known, kIntegrityMedium + 0x100, kIntegrityMedium, true},
        {"both elevated", IntegrityReading::Known, kIntegrityHigh, kIntegrityHigh, false},
        {"elevated Vellory, ordinary program", IntegrityReading::Known, kIntegrityMedium, kIntegrityHigh, false},
        {"may not be read by an ordinary Vellory", IntegrityReading::Denied, 0, kIntegrityMedium, true},
        {"may not be read by an elevated one", IntegrityReading::Denied, 0, kIntegrityHigh, false},
        {"no window in front, or gone", IntegrityReading::None, kIntegritySystem, kIntegrityMedium, false},
    };
    for (const auto& c : cases) EXPECT_EQ(RunsAbove(c.reading, c.theirs, c.ours), c.above) << c.name;
}

}  // namespace
