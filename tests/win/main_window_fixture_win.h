// A main window made by the program's own start-up code in the test process,
// with its configuration in a temporary file named by the installation key.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Dispatches every waiting message, as the program's loop would; a quit
    // message is kept in quitCode instead of ending anything.
    static void Pump();

    // WaitUntil for this thread's windows, which change only while their
    // messages run: between two looks, the program's messages run.
    [[nodiscard]] static bool PumpUntil(const std::function<bool()> &done,
                                        DWORD timeoutMs = 10000);

    // The frame's caption and the status bar's text.
    static std::string Title();
    static std::string StatusText();

    // The frame's client size changed to width x height pixels.
    static void ResizeClient(int width, int height);
    // The frame moved by the user to a placement in dialog units.
    static void MoveFrame(int left, int top, int width, int height);

    std::string path;
    static int quitCode;
};

// For its lifetime, every allocation through operator new of at least
// `bytes` in this test program fails with std::bad_alloc, as it does for a
// large pane in a crowded 32-bit process; smaller ones still succeed.
class FailAllocations {
public:
    explicit FailAllocations(size_t bytes);
    ~FailAllocations();
    FailAllocations(const FailAllocations &) = delete;
    FailAllocations &operator=(const FailAllocations &) = delete;
};
