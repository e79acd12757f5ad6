// Owners of what the system lends the program: a handle is released, a
// window destroyed, a device context given back, a selected object put back
// and a locked block unlocked when its owner goes out of scope, so no way out
// of a function forgets one. Owners are declared in the order the resources
// are taken and so end in the reverse order, which is the order the system
// wants them back.
// Kept below every folder that holds such resources, so that each may use
// them; the sockets' owner is in socket_win.h, WinHTTP's in
// winhttp_handle_win.h.
#pragma once

#include <windows.h>

// Owns one handle whose release needs nothing but the handle. `Kind` names
// the handle's type, the value that means "none" and the release.
template <typename Kind>
class Owned {
public:
    using Handle = typename Kind::Handle;

    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { Reset(); }
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;

    Handle Get() const { return handle_; }
    bool IsValid() const { return handle_ != Kind::None(); }
    // Releases the handle held, if any, and holds `handle` instead.
    void Reset(Handle handle = Kind::None())
    {
        if (IsValid())
            Kind::Release(handle_);
        handle_ = handle;
    }
    // Lets go of the handle without releasing it, for a resource that went by
    // other means (a window destroyed with the window that owns it).
    void Disown() { handle_ = Kind::None(); }
    // Where a call that hands out a new handle through a pointer puts it.
    Handle *Receive()
    {
        Reset();
        return &handle_;
    }

private:
    Handle handle_ = Kind::None();
};

namespace owned_kind {

struct File {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Release(Handle h) { CloseHandle(h); }
};
struct RegistryKey {
    using Handle = HKEY;
    static Handle None() { return nullptr; }
    static void Release(Handle h) { RegCloseKey(h); }
};
struct GlobalBlock {
    using Handle = HGLOBAL;
    static Handle None() { return nullptr; }
    static void Release(Handle h) { GlobalFree(h); }
};
struct MadeDC {
    using Handle = HDC;
    static Handle None() { return nullptr; }
    static void Release(Handle h) { DeleteDC(h); }
};
struct GdiObject {
    using Handle = HGDIOBJ;
    static Handle None() { return nullptr; }
    static void Release(Handle h) { DeleteObject(h); }
};

// A window that can go by other means as well (its own Cancel, or with the
// window that owns it) must disown its owner as it goes: a handle that has
// since been given to another window would otherwise destroy that one.
struct Window {
    using Handle = HWND;
    static Handle None() { return nullptr; }
    static void Release(Handle h) { DestroyWindow(h); }
};

} // namespace owned_kind

using OwnedFile = Owned<owned_kind::File>;          // CreateFile's; "none" is INVALID_HANDLE_VALUE
using OwnedKey = Owned<owned_kind::RegistryKey>;    // RegOpenKeyEx's or RegCreateKeyEx's
using OwnedGlobal = Owned<owned_kind::GlobalBlock>; // GlobalAlloc's, or a dialog's result
using OwnedDC = Owned<owned_kind::MadeDC>;          // CreateDC's, CreateCompatibleDC's, PrintDlg's
using OwnedGdiObject = Owned<owned_kind::GdiObject>; // a font, bitmap, brush or pen
using OwnedWindow = Owned<owned_kind::Window>;       // CreateWindowEx's or CreateDialog's

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_ != nullptr)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC &) = delete;
    WindowDC &operator=(const WindowDC &) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context for a scope; the object it
// replaced goes back in at the end, so the one selected can be deleted. Not
// for a region, whose selection gives back no object.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (previous_ != nullptr)
            SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject &) = delete;
    SelectedObject &operator=(const SelectedObject &) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A global memory block held locked for a scope; Get is null when the lock
// failed.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
    ~LockedGlobal()
    {
        if (data_ != nullptr)
            GlobalUnlock(block_);
    }
    LockedGlobal(const LockedGlobal &) = delete;
    LockedGlobal &operator=(const LockedGlobal &) = delete;
    void *Get() const { return data_; }

private:
    HGLOBAL block_;
    void *data_;
};
