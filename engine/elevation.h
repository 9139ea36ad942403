#pragma once
// Windows hands a low-level hook none of the keys typed into a window whose process runs at a
// higher integrity level than the hook's (User Interface Privilege Isolation): while such a
// window is in front, Vellory can neither see chords nor type.
#include <cstdint>

// Mandatory integrity levels, as the last part of the level's SID.
inline constexpr std::uint32_t kIntegrityMedium = 0x2000;
inline constexpr std::uint32_t kIntegrityHigh = 0x3000;
inline constexpr std::uint32_t kIntegritySystem = 0x4000;

// What could be learnt of the foreground process's level.
enum class IntegrityReading {
    Known,   // its token was read: the level is given
    Denied,  // its process or token may not be read by ours, which only a higher one refuses
    None,    // no foreground window, or the process is gone
};

// Whether the front window's process runs above ours, so that our hook misses its keys.
inline bool RunsAbove(IntegrityReading reading, std::uint32_t theirs, std::uint32_t ours) {
    switch (reading) {
        case IntegrityReading::Known:
            return theirs > ours;
        case IntegrityReading::Denied:
            // An elevated Vellory reads every process of its user; what it may not read is
            // the system's, whose keys it sees anyway at that level's side of the line.
            return ours < kIntegrityHigh;
        case IntegrityReading::None:
            break;
    }
    return false;
}
