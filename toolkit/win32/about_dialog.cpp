#include "toolkit/win32/about_dialog.h"

#include <string_view>

#include "resources/resource.h"
#include "toolkit/product.h"
#include "toolkit/wide_string.h"
#include "toolkit/win32/handles.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/version.h"

namespace {

constexpr char16_t kCopyright[] = u"\u00A9 2026 Brannock";

// The version resource's notice when it names the firm at its end, else the built-in one.
WideString CopyrightLine(const char16_t* programFile) {
    const std::u16string_view notice = QueryVersionString(programFile, VersionKey::LegalCopyright);
    if (notice.ends_with(kFirmName)) return WideString(notice);
    return WideString(kCopyright);
}

}  // namespace

INT_PTR AboutDialog::OnInitDialog() {
    DialogEntity::OnInitDialog();

    UniqueIcon icon = LoadSmallIcon(IDI_APPLICATION_ICON);
    if (icon) ::SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.Release()));

    const WideString programFile = ProgramPath();
    // The version text lives in a shared buffer that the next query overwrites: copy it first.
    WideString line(kApplicationName);
    line.Append(u", ");
    line.Append(QueryVersionString(programFile.Data(), VersionKey::FileVersion));
    ::SetDlgItemTextW(Window(), IDC_ABOUT_VERSION, W(line));

    ::SetDlgItemTextW(Window(), IDC_ABOUT_COPYRIGHT, W(CopyrightLine(programFile.Data())));
    return 1;
}

void AboutDialog::OnDestroy() {
    // Taken off the window before it is destroyed, so the window never holds a dead handle.
    UniqueIcon icon(reinterpret_cast<HICON>(::SendMessageW(Window(), WM_SETICON, ICON_SMALL, 0)));
    DialogEntity::OnDestroy();
}
