#include "output/save_win.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>

#include "app/frame_win.h"

int SaveOutputToFile(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    std::string text;
    if (!OutputText(text)) {
        CloseHandle(file);
        return 0;
    }
    // A short write (a full disk) is not reported, like any save failure.
    size_t done = 0;
    while (done < text.size()) {
        DWORD wrote = 0;
        const DWORD part = static_cast<DWORD>(text.size() - done > 0x100000 ? 0x100000
                                                                            : text.size() - done);
        if (!WriteFile(file, text.data() + done, part, &wrote, nullptr) || wrote == 0)
            break;
        done += wrote;
    }
    CloseHandle(file);
    return 1;
}

namespace {

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
    return SaveOutputToFile(path) != 0 ? 1 : 0;
}
