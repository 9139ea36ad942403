#pragma once
// Strings of a file's version resource.
#include <cstdint>

enum class VersionKey : std::int32_t {
    CompanyName = 0,
    FileDescription,
    FileVersion,
    InternalName,
    LegalCopyright,
    OriginalFilename,
    ProductName,
    ProductVersion,
};

// The value of that name in the file's version resource, from the first translation that
// holds it; empty when none does. The text lives in one process-wide buffer of 128 units
// that the next call overwrites: copy it at once. Longer values are cut to 127 units.
const char16_t* QueryVersionString(const char16_t* path, VersionKey key);
