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

    // Runs the program's messages until `done` or the deadline; false when
    // the deadline came first, which the test must check.
    [[nodiscard]] static bool PumpUntil(const std::function<bool()> &done,
                                        DWORD timeoutMs = 10000);

    // The frame's client size changed to width x height pixels.
    static void ResizeClient(int width, int height);

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
