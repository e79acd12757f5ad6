// A WinHTTP handle with one owner, closed when the owner is done with it.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <utility>

class WinHttpHandle {
public:
    WinHttpHandle() = default;
    explicit WinHttpHandle(HINTERNET h) : h_(h) {}
    WinHttpHandle(WinHttpHandle &&other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    ~WinHttpHandle() { Reset(); }
    WinHttpHandle(const WinHttpHandle &) = delete;
    WinHttpHandle &operator=(const WinHttpHandle &) = delete;
    WinHttpHandle &operator=(WinHttpHandle &&other) noexcept
    {
        if (this != &other) {
            Reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }

    HINTERNET Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset()
    {
        if (h_ != nullptr)
            WinHttpCloseHandle(std::exchange(h_, nullptr));
    }

private:
    HINTERNET h_ = nullptr;
};
