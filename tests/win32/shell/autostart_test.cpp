#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/win32/autostart.h"
#include "toolkit/win32/handles.h"
#include "toolkit/win32/text.h"

namespace {

constexpr char16_t kApp[] = u"VelloryAutostartTest";

std::u16string Str(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
std::string Narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

struct Link {
    bool loaded = false;
    std::u16string path, workingDirectory, description, arguments, iconPath;
    int iconIndex = 0;
};

Link ReadLink(const std::u16string& file) {
    ComInit com;
    Link link;
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IPersistFile> persist;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  shellLink.PutVoid())) ||
        FAILED(shellLink->QueryInterface(IID_IPersistFile, persist.PutVoid())) ||
        FAILED(persist->Load(Wide(file), STGM_READ)))
        return link;
    link.loaded = true;
    wchar_t text[1024];
    text[0] = 0;
    shellLink->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
    link.path = Str(text);
    text[0] = 0;
    shellLink->GetWorkingDirectory(text, 1024);
    link.workingDirectory = Str(text);
    text[0] = 0;
    shellLink->GetDescription(text, 1024);
    link.description = Str(text);
    text[0] = 0;
    shellLink->GetArguments(text, 1024);
    link.arguments = Str(text);
    text[0] = 0;
    shellLink->GetIconLocation(text, 1024, &link.iconIndex);
    link.iconPath = Str(text);
    return link;
}

bool Exists(const std::u16string& file) { return ::GetFileAttributesW(Wide(file)) != INVALID_FILE_ATTRIBUTES; }

std::u16string TempFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, path);
    std::u16string folder = Str(path);
    if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
    return folder;
}

std::u16string OwnPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Str(path);
}

TEST(Autostart, ShortcutPathIsFolderNameAndExtension) {
    EXPECT_EQ(ShortcutPath(u"C:\\Startup", u"Vellory").View(), u"C:\\Startup\\Vellory.lnk");
    WideString folder;
    ASSERT_TRUE(StartupFolder(folder));
    EXPECT_FALSE(folder.IsEmpty());
    EXPECT_NE(::GetFileAttributesW(W(folder.Data())), INVALID_FILE_ATTRIBUTES) << Narrow(folder.View());
}

TEST(Autostart, CreateShortcutWritesWhatIsAskedAndTheTargetsFolder) {
    const std::u16string file = TempFolder() + u"\\vellory_link_test.lnk";
    const std::u16string system = [] {
        wchar_t dir[MAX_PATH] = {};
        ::GetSystemDirectoryW(dir, MAX_PATH);
        return Str(dir);
    }();
    struct Case {
        std::u16string target;
        int iconIndex;
        WideString arguments;
        std::u16string workingDirectory;
    };
    const Case cases[] = {
        {system + u"\\notepad.exe", 0, WideString::Null(), system},
        {system + u"\\notepad.exe", 3, WideString(u"-x \"a b\""), system},
        {u"C:\\notepad.exe", 0, WideString::Null(), u"C:"},
        {u"notepad.exe", 0, WideString::Null(), u""},  // no backslash: no working directory
    };
    for (const auto& c : cases) {
        ::DeleteFileW(Wide(file));
        const HRESULT result =
            CreateShortcut(WideString(c.target), WideString(file), u"Описание", c.iconIndex, c.arguments);
        ASSERT_TRUE(SUCCEEDED(result)) << std::hex << result << " " << Narrow(c.target);
        const Link link = ReadLink(file);
        ASSERT_TRUE(link.loaded) << Narrow(c.target);
        if (c.target.find(u'\\') != std::u16string::npos) {
            EXPECT_EQ(link.path, c.target);
        }
        EXPECT_EQ(link.workingDirectory, c.workingDirectory) << Narrow(c.target);
        EXPECT_EQ(link.description, u"Описание");
        EXPECT_EQ(link.arguments, c.arguments.IsNull() ? u"" : std::u16string(c.arguments.View()));
        if (c.iconIndex != 0) {
            EXPECT_EQ(link.iconPath, c.target) << "an icon index names the target's icon";
            EXPECT_EQ(link.iconIndex, -c.iconIndex) << "negative: a resource id";
        } else {
            EXPECT_EQ(link.iconPath, u"");
        }
    }
    ::DeleteFileW(Wide(file));
}

TEST(Autostart, CreateShortcutReportsAFailedSave) {
    const std::u16string file = TempFolder() + u"\\no_such_folder_vellory\\x.lnk";
    EXPECT_TRUE(FAILED(CreateShortcut(WideString(OwnPath()), WideString(file), u"x", 0)));
    EXPECT_FALSE(Exists(file));
}

TEST(Autostart, ApplyCreatesAndDeletesAndReadReportsPresence) {
    WideString folder;
    ASSERT_TRUE(StartupFolder(folder));
    const std::u16string shortcut(ShortcutPath(folder, kApp).View());
    ::DeleteFileW(Wide(shortcut));
    EXPECT_FALSE(ReadAutostart(kApp));

    ApplyAutostart(true, kApp);
    ASSERT_TRUE(Exists(shortcut)) << Narrow(shortcut);
    EXPECT_TRUE(ReadAutostart(kApp));
    const std::u16string self = OwnPath();
    Link link = ReadLink(shortcut);
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.path, self);
    EXPECT_EQ(link.workingDirectory, self.substr(0, self.rfind(u'\\')));
    EXPECT_EQ(link.description, kApp);
    EXPECT_EQ(link.arguments, u"");

    ApplyAutostart(true, kApp);  // written again over the old one
    EXPECT_TRUE(ReadAutostart(kApp));

    ApplyAutostart(false, kApp);
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_FALSE(ReadAutostart(kApp));
    ApplyAutostart(false, kApp);  // nothing to delete
    EXPECT_FALSE(ReadAutostart(kApp));

    // Deleted by hand: read back as off.
    ApplyAutostart(true, kApp);
    ASSERT_TRUE(ReadAutostart(kApp));
    ::DeleteFileW(Wide(shortcut));
    EXPECT_FALSE(ReadAutostart(kApp));
}

}  // namespace
