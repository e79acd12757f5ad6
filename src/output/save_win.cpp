#include "output/save_win.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "config/scoped_win.h"
#include "frame/frame_win.h"

namespace {

// Writes the pane's text to `path`. 0 when the whole text is in the file,
// else the system's error code for what went wrong.
DWORD WriteOutputFile(const char *path)
{
    // The text is taken first, so that a pane too large to copy leaves an
    // existing file as it was rather than emptied.
    std::string text;
    if (!OutputText(text))
        return ERROR_NOT_ENOUGH_MEMORY;
    const OwnedFile file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
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

// Tells the user that the output is not in `path`, and why.
void ReportSaveFailure(HWND owner, const char *path, DWORD error)
{
    char reason[256] = "";
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                        error, 0, reason, sizeof reason, nullptr))
        std::snprintf(reason, sizeof reason, "Error %lu.", static_cast<unsigned long>(error));
    // The system's texts end in a line break of their own.
    size_t length = std::strlen(reason);
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n' ||
                          reason[length - 1] == ' '))
        reason[--length] = '\0';
    char text[MAX_PATH + sizeof reason + 64];
    std::snprintf(text, sizeof text, "The output could not be saved to %s.\n\n%s", path, reason);
    MessageBoxA(owner, text, "Pellwick32", MB_OK | MB_ICONEXCLAMATION);
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
    const DWORD attributes = GetFileAttributesA(path);
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

int SaveOutputAs(HWND owner)
{
    static const char kFilters[] = "Text Files (*.TXT)\0*.txt\0"
                                   "ASCII Files (*.ASC)\0*.asc\0"
                                   "All Files (*.*)\0*.*\0";
    char path[260] = "pellwick.txt";
    OPENFILENAMEA ofn = {};
    // The classic, hooked dialog; the record's size is the one it knows.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilters;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_ENABLEHOOK;
    ofn.lpstrDefExt = "txt";
    ofn.lpfnHook = lpfnFileSave;
    bDialogAsked = false;
    if (!GetSaveFileNameA(&ofn))
        return 0;
    // A file is replaced only after the user has said so: the dialog did not
    // ask about a name it did not see, nor, where it never asks, at all. The
    // question is the one the platform's own dialogs ask.
    const bool renamed = AddDefaultExtension(path, sizeof path);
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
