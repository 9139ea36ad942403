#pragma once
// Pictures for menu items: GIFs in resources of type "PICT", decoded by the program's own
// reader, shared through a reference-counted cache and blended onto a device context.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/gif.h"

// A copy of the bytes of the "PICT" resource `id`; empty when there is none.
std::vector<std::uint8_t> LoadPictureResource(HINSTANCE instance, UINT id);

class Picture {
public:
    Picture() = default;
    virtual ~Picture() = default;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // The colour GIF `colorId` with the mask GIF `maskId` (0: none). False, leaving the
    // picture empty, when the colour resource is missing or not in the expected form.
    bool LoadPicture(HINSTANCE instance, UINT colorId, UINT maskId);

    // Blends the picture onto `dc` with its top-left corner at (x, y). False when nothing was
    // drawn: an empty picture, or a device bitmap that is neither 16 nor 32 bits per pixel.
    bool DrawPicture(HDC dc, int x, int y) const;

    const PictureData& Data() const { return data_; }

private:
    PictureData data_;
};

// Pictures by resource id, each loaded on first use and destroyed when its last user gives
// it back. The mask id is not part of the key.
class PictureCache {
public:
    explicit PictureCache(HINSTANCE instance = ::GetModuleHandleW(nullptr)) : instance_(instance) {}
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    // Never null: a picture that fails to load is cached empty and draws nothing.
    Picture* AcquirePicture(UINT id, UINT maskId);
    // False when no picture with that id is cached.
    bool ReleasePicture(UINT id);
    // How many users the picture has; 0 when it is not cached.
    int CountOf(UINT id) const;

private:
    struct Entry {
        UINT id;
        std::unique_ptr<Picture> picture;
        int count;
    };
    HINSTANCE instance_;
    std::vector<Entry> entries_;
};

// The process-wide cache, over the program's own resources.
PictureCache& ThePictureCache();
Picture* AcquirePicture(UINT id, UINT maskId);
bool ReleasePicture(UINT id);
