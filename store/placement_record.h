#pragma once
// The stored form of a window's placement ("plmnt"): eleven little-endian 32-bit fields,
// 44 bytes, laid out as the Windows WINDOWPLACEMENT record.
#include <array>
#include <cstdint>

inline constexpr std::uint32_t kPlacementSize = 44;

struct PlacementRecord {
    std::uint32_t length = kPlacementSize;
    std::uint32_t flags = 0;
    std::uint32_t showCommand = 0;
    std::int32_t minX = 0, minY = 0;
    std::int32_t maxX = 0, maxY = 0;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // the restored window's rectangle
};

using PlacementBlock = std::array<std::uint8_t, kPlacementSize>;

PlacementBlock EncodePlacement(const PlacementRecord& record);
PlacementRecord DecodePlacement(const PlacementBlock& block);

// Keeps the stored left and top but the given current outer size; 32-bit arithmetic wraps
// as the system's does, so a damaged record cannot overflow.
void KeepCurrentSize(PlacementRecord& record, std::int32_t currentLeft, std::int32_t currentTop,
                     std::int32_t currentRight, std::int32_t currentBottom);
