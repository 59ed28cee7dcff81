#pragma once

#include "platform/UniqueHandle.h"

#include <windows.h>

template <class GdiHandle> struct GdiObjectTraits {
    using Handle = GdiHandle;
    static Handle invalid() { return nullptr; }
    static void close(Handle handle) { DeleteObject(handle); }
};

// A font, brush or pen the program created.
template <class GdiHandle> using GdiObject = UniqueHandle<GdiObjectTraits<GdiHandle>>;

// An object selected into a device context, with the one it replaced.
struct Selection {
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    bool operator==(const Selection&) const = default;
};

struct SelectionTraits {
    using Handle = Selection;
    static Handle invalid() { return {}; }
    static void close(Handle selection) { SelectObject(selection.dc, selection.previous); }
};

// Puts the replaced object back at the end of its life.
using SelectedObject = UniqueHandle<SelectionTraits>;

inline SelectedObject selectObject(HDC dc, HGDIOBJ object) {
    return SelectedObject(Selection{dc, SelectObject(dc, object)});
}
