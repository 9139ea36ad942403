#include "settings_ui/win32/chord_transfer.h"

#include <commdlg.h>

#include <string>
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
    return (save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog)) != FALSE;
}

UniqueKernelHandle OpenFile(const wchar_t* path, bool write) {
    const HANDLE file = ::CreateFileW(path, write ? GENERIC_WRITE : GENERIC_READ, write ? 0 : FILE_SHARE_READ, nullptr,
                                      write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool ReadWhole(const wchar_t* path, std::string& bytes) {
    const UniqueKernelHandle file = OpenFile(path, false);
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxFileBytes) return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() || (::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                             read == bytes.size());
}

// A file that is not UTF-8 is what a spreadsheet saves as "CSV": the system's ANSI code page.
std::u16string Decoded(const std::string& bytes) {
    std::u16string text;
    if (DecodeUtf8(bytes, text) || bytes.empty()) return text;
    const int units = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.resize(static_cast<std::size_t>(units > 0 ? units : 0));
    if (units > 0)
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                              reinterpret_cast<wchar_t*>(text.data()), units);
    return text;
}

void Say(HWND owner, const WideString& text) {
    ::MessageBoxW(owner, W(text), W(kApplicationName), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void ExportChords(HWND owner, const HotkeyTable& table) {
    wchar_t path[kPathUnits] = L"Vellory.csv";
    if (!AskPath(owner, true, path)) return;
    const std::string bytes = WriteChordFile(ExportedRows(table, ChordCaption));
    const UniqueKernelHandle file = OpenFile(path, true);
    DWORD written = 0;
    if (!file || !::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
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
    std::vector<ChordRow> rows;
    ChordFileFailure failure;
    if (!ReadChordFile(Decoded(bytes), rows, failure)) {
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
