#include "shell/win32/autostart.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "toolkit/win32/handles.h"

namespace {

// Spelled out here rather than taken from libuuid, whose objects would bring every other GUID along.
constexpr GUID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Null reads as empty, so no call gets a null text pointer.
const wchar_t* Text(const WideString& s) { return s.IsNull() ? L"" : W(s.Data()); }

// The program's own file, however long its path: a cut path would give a shortcut to
// nowhere. Null when the system cannot tell.
WideString ProgramPath() {
    std::u16string buffer(MAX_PATH, u'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, W(buffer.data()), size);
        if (length == 0) return WideString::Null();
        if (length < size) {
            buffer.resize(length);
            return WideString(std::u16string_view(buffer));
        }
        if (size >= 32768) return WideString::Null();
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

bool StartupFolder(WideString& folder) {
    char16_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, W(path)))) return false;
    folder = WideString(path);
    return true;
}

WideString ShortcutPath(const WideString& folder, const WideString& appName) {
    WideString path(folder.View());
    path.Append(u'\\');
    path.Append(appName);
    path.Append(u".lnk");
    return path;
}

HRESULT CreateShortcut(const WideString& target, const WideString& shortcutPath, const WideString& description,
                       int iconIndex, const WideString& arguments) {
    // The working directory is the target's folder: the target cut at its last backslash.
    const std::u16string_view targetText = target.View();
    const std::size_t cut = targetText.rfind(u'\\');
    const WideString folder(cut == std::u16string_view::npos ? std::u16string_view() : targetText.substr(0, cut));

    ComInit com;
    ComPtr<IShellLinkW> link;
    HRESULT result =
        ::CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW, link.PutVoid());
    if (FAILED(result)) return result;
    link->SetPath(Text(target));
    if (iconIndex != 0) link->SetIconLocation(Text(target), -iconIndex);
    link->SetWorkingDirectory(Text(folder));
    link->SetDescription(Text(description));
    if (!arguments.IsNull()) link->SetArguments(Text(arguments));

    ComPtr<IPersistFile> file;
    result = link->QueryInterface(kIidPersistFile, file.PutVoid());
    // Without the file interface nothing was written: report that rather than success.
    if (SUCCEEDED(result)) result = file->Save(Text(shortcutPath), TRUE);
    return result;
}

void ApplyAutostart(bool autostart, const WideString& appName) {
    WideString folder;
    if (!StartupFolder(folder)) return;
    const WideString shortcut = ShortcutPath(folder, appName);
    if (autostart) {
        const WideString program = ProgramPath();
        if (!program.IsNull()) CreateShortcut(program, shortcut, appName, 0);
    } else {
        ::DeleteFileW(Text(shortcut));
    }
}

bool ReadAutostart(const WideString& appName) {
    WideString folder;
    if (!StartupFolder(folder)) return false;
    return ::PathFileExistsW(Text(ShortcutPath(folder, appName))) == TRUE;
}
