#include "shell/win32/autostart.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "toolkit/win32/handles.h"
#include "toolkit/win32/text.h"

namespace {

// Spelled out here rather than taken from libuuid, whose objects would bring every other GUID along.
constexpr GUID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

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
    link->SetPath(W(target));
    if (iconIndex != 0) link->SetIconLocation(W(target), -iconIndex);
    link->SetWorkingDirectory(W(folder));
    link->SetDescription(W(description));
    if (!arguments.IsNull()) link->SetArguments(W(arguments));

    ComPtr<IPersistFile> file;
    result = link->QueryInterface(kIidPersistFile, file.PutVoid());
    // Without the file interface nothing was written: report that rather than success.
    if (SUCCEEDED(result)) result = file->Save(W(shortcutPath), TRUE);
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
        ::DeleteFileW(W(shortcut));
    }
}

bool ReadAutostart(const WideString& appName) {
    WideString folder;
    if (!StartupFolder(folder)) return false;
    return ::PathFileExistsW(W(ShortcutPath(folder, appName))) == TRUE;
}
