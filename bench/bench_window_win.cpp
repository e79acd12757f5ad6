#include "bench_window_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "net/answer_text.h"
#include "res/resource.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"

bool OpenMainWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    static const bool registered = RegisterMainClass(instance);
    if (!registered || CreateMainWindow(instance) == nullptr)
        return false;
    ShowWindow(hwndMain, SW_SHOWNORMAL);
    UpdateWindow(hwndMain);
    LoadMainAccelerators(instance);
    PumpPending();
    return true;
}

void CloseMainWindow()
{
    ClearPane();
    DestroyWindow(hwndMain);
    PumpPending();
}

void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT)
            DispatchThreadMessage(msg);
    }
}

void ClearPane()
{
    SendMessageA(hwndMain, WM_COMMAND, IDM_CLEAR, 0);
    PumpPending();
}

std::string PaneText()
{
    FlushOutput();
    if (bUnicodeText) {
        const int n = GetWindowTextLengthW(hwndOutput);
        std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
        const int got = GetWindowTextW(hwndOutput, &wide[0], n + 1);
        wide.resize(static_cast<size_t>(std::max(got, 0)));
        return WideToUtf8(wide);
    }
    const int n = GetWindowTextLengthA(hwndOutput);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    const int got = GetWindowTextA(hwndOutput, &text[0], n + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

std::string ExpectedPaneText(const std::string &answer)
{
    // Without CR in the answer, where the chunks were cut changes nothing.
    std::vector<uint8_t> bytes(answer.begin(), answer.end());
    if (bUnicodeText) {
        AnswerDecoder decoder;
        std::vector<char> out(DecodedCapacity(bytes.size()));
        std::string text(out.data(), decoder.Decode(bytes.data(), bytes.size(), out.data()));
        text.append(out.data(), decoder.Finish(out.data()));
        return text;
    }
    std::vector<char> out(ConvertedCapacity(bytes.size()));
    const size_t n = ConvertAnswerChunk(bytes.data(), bytes.size(), out.data());
    return std::string(out.data(), n);
}
