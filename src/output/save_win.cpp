#include "output/save_win.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "config/profile_values.h"
#include "frame/frame_win.h"
#include "handles/owned_win.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"

namespace {

// Writes the pane's text to `path`, the program's text (UTF-8 while Unicode
// text is on, so any name can be given). The file holds what OutputText
// gives: the code page's bytes, or UTF-8 without a byte-order mark, which
// for ASCII text are the same bytes. 0 when the whole text is in the file,
// else the system's error code for what went wrong.
DWORD WriteOutputFile(const char *path)
{
    // The text is taken first, so that a pane too large to copy leaves an
    // existing file as it was rather than emptied.
    std::string text;
    if (!OutputText(text))
        return ERROR_NOT_ENOUGH_MEMORY;
    const std::wstring name = ProgramTextToWide(path);
    if (name.empty())
        return path[0] != '\0' ? ERROR_NOT_ENOUGH_MEMORY : ERROR_PATH_NOT_FOUND;
    const OwnedFile file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_OPEN_FAILED;
    }
    DWORD error = 0;
    size_t done = 0;
    while (error == 0 && done < text.size()) {
        DWORD wrote = 0;
        const DWORD part = static_cast<DWORD>(text.size() - done > 0x100000 ? 0x100000
                                                                            : text.size() - done);
        if (!WriteFile(file.Get(), text.data() + done, part, &wrote, nullptr)) {
            error = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
            break;
        }
        // A write that takes less than it was given without saying why has
        // run out of room on the disk.
        if (wrote < part) {
            error = ERROR_DISK_FULL;
            break;
        }
        done += wrote;
    }
    return error;
}

// Tells the user that the output is not in `path` (the program's text), and
// why, in the user's own letters: the box is a Unicode one.
void ReportSaveFailure(HWND owner, const char *path, DWORD error)
{
    wchar_t text[256] = L"";
    std::wstring reason;
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text, sizeof text / sizeof text[0], nullptr))
        reason = text;
    else
        reason = L"Error " + std::to_wstring(error) + L".";
    // The system's texts end in a line break of their own.
    while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n' ||
                               reason.back() == L' '))
        reason.pop_back();
    const std::wstring box =
        L"The output could not be saved to " + ProgramTextToWide(path) + L".\n\n" + reason;
    MessageBoxW(owner, box.c_str(), L"Pellwick32", MB_OK | MB_ICONEXCLAMATION);
}

// A name typed without an extension is saved as a text file. Windows' dialog
// adds the extension itself; the classic dialog under Wine does not, so the
// program makes sure of it. True when it added one.
bool AddDefaultExtension(char *path, size_t size)
{
    const char *name = std::strrchr(path, '\\');
    name = name != nullptr ? name + 1 : path;
    if (std::strchr(name, '.') != nullptr)
        return false;
    const size_t length = std::strlen(path);
    if (length + 4 >= size)
        return false;
    std::memcpy(path + length, ".txt", 5);
    return true;
}

// Set when the Save As dialog put up a box of its own (its overwrite
// question) after the user's last OK. The classic dialog under Wine never
// asks, Windows' does.
bool bDialogAsked;

bool IsExistingFile(const char *path)
{
    const DWORD attributes = GetFileAttributesW(ProgramTextToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

int SaveOutputToFile(const char *path)
{
    return WriteOutputFile(path) == 0 ? 1 : 0;
}

UINT_PTR CALLBACK lpfnFileSave(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        CenterDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            bDialogAsked = false;
        return FALSE;
    case WM_ENABLE:
        // A box the dialog owns disables it while it asks.
        if (!wParam)
            bDialogAsked = true;
        return FALSE;
    default:
        return FALSE;
    }
}

namespace {

// The classic, hooked dialog of the code page: the record's size is the one
// it knows. The chosen name goes to `path`.
bool AskFileName(HWND owner, char *path, DWORD size)
{
    static const char kFilters[] = "Text Files (*.TXT)\0*.txt\0"
                                   "ASCII Files (*.ASC)\0*.asc\0"
                                   "All Files (*.*)\0*.*\0";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilters;
    ofn.lpstrFile = path;
    ofn.nMaxFile = size;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_ENABLEHOOK;
    ofn.lpstrDefExt = "txt";
    ofn.lpfnHook = lpfnFileSave;
    return GetSaveFileNameA(&ofn) != FALSE;
}

// The same dialog in Unicode, for a name in any letters; the name goes to
// `path` as UTF-8.
bool AskFileNameW(HWND owner, std::string &path)
{
    static const wchar_t kFilters[] = L"Text Files (*.TXT)\0*.txt\0"
                                      L"ASCII Files (*.ASC)\0*.asc\0"
                                      L"All Files (*.*)\0*.*\0";
    wchar_t name[260] = L"pellwick.txt";
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilters;
    ofn.lpstrFile = name;
    ofn.nMaxFile = sizeof name / sizeof name[0];
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_ENABLEHOOK;
    ofn.lpstrDefExt = L"txt";
    // Windows names the dialog itself; Wine's Unicode one of this style
    // comes up with no title at all.
    ofn.lpstrTitle = L"Save As";
    ofn.lpfnHook = lpfnFileSave;
    if (!GetSaveFileNameW(&ofn))
        return false;
    path = WideToUtf8(name, std::wcslen(name));
    return !path.empty();
}

} // namespace

int SaveOutputAs(HWND owner)
{
    // Room for the longest name the dialog gives, in UTF-8 too, and ".txt".
    char path[3 * 260 + 8] = "pellwick.txt";
    bDialogAsked = false;
    if (bUnicodeText) {
        std::string chosen;
        if (!AskFileNameW(owner, chosen))
            return 0;
        CopyBounded(path, sizeof path, chosen.c_str());
    } else if (!AskFileName(owner, path, 260)) {
        return 0;
    }
    // A file is replaced only after the user has said so: the dialog did not
    // ask about a name it did not see, nor, where it never asks, at all. The
    // question is the one the platform's own dialogs ask. A name in UTF-8
    // takes the same rule: a backslash or a dot is never part of a letter.
    const bool renamed = AddDefaultExtension(path, bUnicodeText ? sizeof path : 260);
    if ((renamed || !bDialogAsked) && IsExistingFile(path) &&
        MessageBoxA(owner, "File already exists.\nDo you want to replace it?", "Save As",
                    MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return 0;
    const DWORD error = WriteOutputFile(path);
    if (error != 0) {
        ReportSaveFailure(owner, path, error);
        return 0;
    }
    return 1;
}
