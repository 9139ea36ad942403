#include "store/placement_record.h"

namespace {

void Put(PlacementBlock& block, std::size_t field, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) block[field * 4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Get(const PlacementBlock& block, std::size_t field) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(block[field * 4 + i]) << (8 * i);
    return value;
}

std::uint32_t U(std::int32_t v) { return static_cast<std::uint32_t>(v); }
std::int32_t S(std::uint32_t v) { return static_cast<std::int32_t>(v); }

}  // namespace

PlacementBlock EncodePlacement(const PlacementRecord& r) {
    PlacementBlock block{};
    const std::uint32_t fields[] = {r.length, r.flags, r.showCommand, U(r.minX),  U(r.minY), U(r.maxX),
                                    U(r.maxY), U(r.left), U(r.top),  U(r.right), U(r.bottom)};
    for (std::size_t i = 0; i < 11; ++i) Put(block, i, fields[i]);
    return block;
}

PlacementRecord DecodePlacement(const PlacementBlock& block) {
    PlacementRecord r;
    r.length = Get(block, 0);
    r.flags = Get(block, 1);
    r.showCommand = Get(block, 2);
    r.minX = S(Get(block, 3));
    r.minY = S(Get(block, 4));
    r.maxX = S(Get(block, 5));
    r.maxY = S(Get(block, 6));
    r.left = S(Get(block, 7));
    r.top = S(Get(block, 8));
    r.right = S(Get(block, 9));
    r.bottom = S(Get(block, 10));
    return r;
}

void KeepCurrentSize(PlacementRecord& record, std::int32_t currentLeft, std::int32_t currentTop,
                     std::int32_t currentRight, std::int32_t currentBottom) {
    record.right = S(U(record.left) + (U(currentRight) - U(currentLeft)));
    record.bottom = S(U(record.top) + (U(currentBottom) - U(currentTop)));
}
