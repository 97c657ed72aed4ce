#pragma once
// The menu tree of the image window as one table: control name, caption, depth
// (0 on the menu bar), whether the item can ever be chosen, whether it stays
// available while a pixel pass is running, and its handler. An entry followed
// by deeper entries opens a submenu; a top-level entry with a handler ("About")
// runs at once when chosen on the menu bar.
#include <span>

namespace pixpad {

class Form1;

struct MenuItemDef {
    const char* name;
    const char* caption;
    int depth;
    bool enabled;     // false: switched off for good
    bool duringPass;  // doesn't touch the document or the filter settings
    void (Form1::*handler)();
};

std::span<const MenuItemDef> menuTable();

} // namespace pixpad
