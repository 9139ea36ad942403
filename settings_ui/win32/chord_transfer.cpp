#include "settings_ui/win32/chord_transfer.h"

#include <cderr.h>
#include <commdlg.h>

#include <string>
#include <string_view>
#include <vector>

#include "settings_ui/chord_file.h"
#include "settings_ui/win32/text_edit_dialog.h"
#include "store/catalogue.h"
#include "store/profile.h"
#include "toolkit/win32/handles.h"
#include "toolkit/win32/text.h"

namespace {

constexpr wchar_t kFilter[] = L"Файлы CSV (*.csv)\0*.csv\0Все файлы (*.*)\0*.*\0";
constexpr DWORD kPathUnits = 1024;
// Room for every one of the 768 chords with a text of 32,767 units.
constexpr DWORD kMaxFileBytes = 80u << 20;

void Say(HWND owner, const WideString& text) {
    ::MessageBoxW(owner, W(text), W(kApplicationName), MB_OK | MB_ICONEXCLAMATION);
}

// False when no path came: the user's cancel, or a failure, which is then said.
bool AskPath(HWND owner, bool save, wchar_t (&path)[kPathUnits]) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathUnits;
    dialog.lpstrDefExt = L"csv";
    dialog.lpstrTitle = save ? L"Экспорт комбинаций" : L"Импорт комбинаций";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    // GetOpenFileName leaves the process in the file's folder whatever OFN_NOCHANGEDIR says, and
    // a current directory on a USB stick keeps the stick from being ejected.
    wchar_t current[kPathUnits];
    const DWORD currentUnits = ::GetCurrentDirectoryW(kPathUnits, current);
    const bool chosen = (save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog)) != FALSE;
    if (currentUnits > 0 && currentUnits < kPathUnits) ::SetCurrentDirectoryW(current);
    if (chosen) return true;
    // A path too long for the buffer ends the dialog as a cancel does: only this tells them apart.
    const DWORD error = ::CommDlgExtendedError();
    if (error == FNERR_BUFFERTOOSMALL) {
        Say(owner, WideString(u"Файл не выбран: путь к нему длиннее 1023 знаков. Выберите папку с путём покороче."));
    } else if (error != 0) {
        WideString message(u"Файл не выбран: окно выбора файла сообщило об ошибке ");
        message.Append(WideString::FromInt(static_cast<std::int32_t>(error)));
        message.Append(u".");
        Say(owner, message);
    }
    return false;
}

bool ReadWhole(const wchar_t* path, std::string& bytes) {
    const HANDLE opened = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const UniqueKernelHandle file(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxFileBytes) return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() || (::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                             read == bytes.size());
}

// A file with neither a byte order mark nor UTF-8 is what a spreadsheet saves as "CSV": the
// system's ANSI code page.
bool Decoded(const std::string& bytes, std::u16string& text, ChordFileFailure& failure) {
    const FileText decoded = DecodeChordFile(bytes, text, failure);
    if (decoded != FileText::Ansi) return decoded == FileText::Read;
    const int units = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.resize(static_cast<std::size_t>(units > 0 ? units : 0));
    if (units > 0)
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                              reinterpret_cast<wchar_t*>(text.data()), units);
    return true;
}

}  // namespace

bool WriteWholeFile(const wchar_t* path, std::string_view bytes) {
    // Beside the file, so that putting it in place is a rename on the same volume.
    std::wstring folder(path);
    const std::size_t slash = folder.find_last_of(L"\\/");
    folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
    wchar_t temporary[MAX_PATH];
    if (::GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"vel", 0, temporary) == 0) return false;
    bool whole = false;
    {
        const HANDLE opened = ::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
        const UniqueKernelHandle file(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
        DWORD written = 0;
        whole = file && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                written == bytes.size() && ::FlushFileBuffers(file.Get());
    }
    // The new file takes the old one's attributes, so a hidden file stays hidden (writing over it
    // with CREATE_ALWAYS and FILE_ATTRIBUTE_NORMAL is refused). ReplaceFileW would keep them too,
    // but Wine's leaves an empty file of its own beside. A read-only file is not replaced, as
    // Windows refuses (Wine's rename would replace it).
    const DWORD old = ::GetFileAttributesW(path);
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) != 0) whole = false;
    if (whole && old != INVALID_FILE_ATTRIBUTES && (old & kept) != 0)
        whole = ::SetFileAttributesW(temporary, (old & kept) | FILE_ATTRIBUTE_ARCHIVE) != FALSE;
    whole = whole && ::MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!whole) ::DeleteFileW(temporary);
    return whole;
}

void ExportChords(HWND owner, const HotkeyTable& table) {
    wchar_t path[kPathUnits] = L"Vellory.csv";
    if (!AskPath(owner, true, path)) return;
    if (!WriteWholeFile(path, WriteChordFile(ExportedRows(table, ChordCaption))))
        Say(owner, WideString(u"Файл не записан."));
}

bool ImportChords(HWND owner, HotkeyTable& table) {
    wchar_t path[kPathUnits] = L"";
    if (!AskPath(owner, false, path)) return false;
    std::string bytes;
    if (!ReadWhole(path, bytes)) {
        Say(owner, WideString(u"Файл не прочитан: его не удалось открыть."));
        return false;
    }
    std::u16string text;
    std::vector<ChordRow> rows;
    ChordFileFailure failure;
    if (!Decoded(bytes, text, failure) || !ReadChordFile(text, rows, failure)) {
        Say(owner, FailureMessage(failure));
        return false;
    }
    for (ChordRow& row : rows) row.text = StorableItemText(row.text.View());
    const ChordMerge merge = PlanMerge(table, rows);
    bool replace = false;
    if (!merge.differing.empty()) {
        std::size_t abbreviations = 0;
        for (const std::size_t i : merge.differing) abbreviations += rows[i].abbreviation.IsNull() ? 0 : 1;
        const int answer = ::MessageBoxW(owner, W(ReplaceQuestion(merge.differing.size() - abbreviations, abbreviations)),
                                         W(kApplicationName), MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer != IDYES && answer != IDNO) return false;
        replace = answer == IDYES;
    }
    if (merge.added.empty() && !replace) return false;
    ApplyMerge(table, rows, merge, replace);
    return true;
}
