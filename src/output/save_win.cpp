#include "output/save_win.h"

#include <windows.h>

#include <string>

#include "app/frame_win.h"

int SaveOutputToFile(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    const std::string text = OutputText();
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
