#include "engine/shell_windows.h"

#include "toolkit/case_fold.h"

namespace {

constexpr std::u16string_view kShellClasses[] = {
    u"Shell_TrayWnd",           u"Shell_SecondaryTrayWnd", u"NotifyIconOverflowWindow",
    u"TopLevelWindowForOverflowXamlIsland", u"Progman", u"WorkerW",
    u"MultitaskingViewFrame",   u"TaskSwitcherWnd",       u"XamlExplorerHostIslandWindow",
};
constexpr std::u16string_view kHostClass = u"Windows.UI.Core.CoreWindow";
constexpr std::u16string_view kShellHosts[] = {
    u"StartMenuExperienceHost.exe", u"SearchHost.exe", u"SearchApp.exe", u"ShellExperienceHost.exe",
};

bool SameFolded(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpcaseUnit(a[i]) != UpcaseUnit(b[i])) return false;
    return true;
}

}  // namespace

ShellClass ShellClassOf(std::u16string_view className) {
    for (std::u16string_view shell : kShellClasses)
        if (className == shell) return ShellClass::Shell;
    return className == kHostClass ? ShellClass::ShellIfHost : ShellClass::None;
}

bool IsShellHost(std::u16string_view fileName) {
    for (std::u16string_view host : kShellHosts)
        if (SameFolded(fileName, host)) return true;
    return false;
}
