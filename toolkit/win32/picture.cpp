#include "toolkit/win32/picture.h"

#include <algorithm>

#include "toolkit/blend.h"
#include "toolkit/win32/handles.h"

namespace {

// Where a 16-bit bitmap keeps its channels. A DIB section says so itself; for a device
// bitmap GDI reports the layout in which it hands the bits out.
bool Masks16(HDC dc, HBITMAP bitmap, PixelMasks16& masks) {
    DIBSECTION section{};
    if (::GetObjectW(bitmap, sizeof section, &section) == sizeof section) {
        if (section.dsBmih.biBitCount != 16) return false;
        masks = section.dsBmih.biCompression == BI_BITFIELDS
                    ? PixelMasks16{static_cast<std::uint16_t>(section.dsBitfields[0]),
                                   static_cast<std::uint16_t>(section.dsBitfields[1]),
                                   static_cast<std::uint16_t>(section.dsBitfields[2])}
                    : kMasks555;
        return true;
    }
    struct {
        BITMAPINFOHEADER header;
        DWORD fields[3];
    } info{};
    info.header.biSize = sizeof info.header;
    auto* asInfo = reinterpret_cast<BITMAPINFO*>(&info);
    if (!::GetDIBits(dc, bitmap, 0, 0, nullptr, asInfo, DIB_RGB_COLORS) || info.header.biBitCount != 16) return false;
    if (info.header.biCompression != BI_BITFIELDS) {
        masks = kMasks555;
        return true;
    }
    // With the header filled in, a second call fills in the three masks.
    if (!::GetDIBits(dc, bitmap, 0, 0, nullptr, asInfo, DIB_RGB_COLORS)) return false;
    masks = PixelMasks16{static_cast<std::uint16_t>(info.fields[0]), static_cast<std::uint16_t>(info.fields[1]),
                         static_cast<std::uint16_t>(info.fields[2])};
    return true;
}

}  // namespace

std::vector<std::uint8_t> LoadPictureResource(HINSTANCE instance, UINT id) {
    // Larger ids would be cut to 16 bits by MAKEINTRESOURCE and find another resource.
    if (id == 0 || id > 0xFFFF) return {};
    HRSRC info = ::FindResourceW(instance, MAKEINTRESOURCEW(id), L"PICT");
    if (!info) return {};
    HGLOBAL resource = ::LoadResource(instance, info);
    if (!resource) return {};
    const DWORD size = ::SizeofResource(instance, info);
    const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(resource));
    std::vector<std::uint8_t> copy;
    if (bytes) copy.assign(bytes, bytes + size);
    ::FreeResource(resource);
    return copy;
}

bool Picture::LoadPicture(HINSTANCE instance, UINT colorId, UINT maskId) {
    const std::vector<std::uint8_t> color = LoadPictureResource(instance, colorId);
    if (color.empty()) {
        data_ = PictureData();
        return false;
    }
    const std::vector<std::uint8_t> mask = maskId != 0 ? LoadPictureResource(instance, maskId) : std::vector<std::uint8_t>();
    return LoadPictureData(color, mask, data_);
}

bool Picture::DrawPicture(HDC dc, int x, int y) const {
    if (data_.Empty()) return false;
    const int width = static_cast<int>(data_.width);
    const int height = static_cast<int>(data_.height);

    UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    if (!memory) return false;
    UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, width, height));
    if (!bitmap) return false;
    BITMAP format{};
    if (!::GetObjectW(bitmap.Get(), sizeof format, &format)) return false;
    PixelMasks16 masks{};
    if (format.bmBitsPixel == 16 ? !Masks16(memory.Get(), bitmap.Get(), masks) : format.bmBitsPixel != 32)
        return false;

    ScopedSelect select(memory.Get(), bitmap.Get());
    if (!::BitBlt(memory.Get(), 0, 0, width, height, dc, x, y, SRCCOPY)) return false;
    const std::size_t size = std::size_t{format.bmBitsPixel} / 8 * data_.pixels.size();
    std::vector<std::uint8_t> bits(size);
    if (::GetBitmapBits(bitmap.Get(), static_cast<LONG>(size), bits.data()) != static_cast<LONG>(size)) return false;
    const bool blended = format.bmBitsPixel == 32 ? BlendPicture32(data_, bits) : BlendPicture16(data_, masks, bits);
    if (!blended || !::SetBitmapBits(bitmap.Get(), static_cast<DWORD>(size), bits.data())) return false;
    return ::BitBlt(dc, x, y, width, height, memory.Get(), 0, 0, SRCCOPY) != FALSE;
}

Picture* PictureCache::AcquirePicture(UINT id, UINT maskId) {
    for (Entry& entry : entries_) {
        if (entry.id == id) {
            ++entry.count;
            return entry.picture.get();
        }
    }
    auto picture = std::make_unique<Picture>();
    picture->LoadPicture(instance_, id, maskId);  // a picture that fails to load draws nothing
    entries_.push_back(Entry{id, std::move(picture), 1});
    return entries_.back().picture.get();
}

bool PictureCache::ReleasePicture(UINT id) {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
    if (found == entries_.end()) return false;
    if (--found->count == 0) entries_.erase(found);
    return true;
}

int PictureCache::CountOf(UINT id) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
    return found == entries_.end() ? 0 : found->count;
}

PictureCache& ThePictureCache() {
    static PictureCache cache;
    return cache;
}

Picture* AcquirePicture(UINT id, UINT maskId) { return ThePictureCache().AcquirePicture(id, maskId); }

bool ReleasePicture(UINT id) { return ThePictureCache().ReleasePicture(id); }
