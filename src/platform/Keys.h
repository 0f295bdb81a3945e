// The keys a window's shortcuts are made of: letters and digits as their upper-case ASCII
// code ('A', '7'), every other key by a name below, and the modifiers held with it. A table of
// these is plain data; each window backend maps it to its toolkit's keys with a table of its own.
#pragma once

enum NamedKey : int {
    kNamedReturn = 0x100,  // the main keyboard's
    kNamedEnter,           // the numeric keypad's
    kNamedEscape,
    kNamedTab,
    kNamedBackspace,
    kNamedDelete,
    kNamedInsert,
    kNamedSpace,
    kNamedLeft,
    kNamedRight,
    kNamedUp,
    kNamedDown,
    kNamedHome,
    kNamedEnd,
    kNamedPageUp,
    kNamedPageDown,
    kNamedPlus,  // the main keyboard's
    kNamedMinus,
    kNamedEqual,
    kNamedF1,  // F1 to F12 in order
    kNamedF2,
    kNamedF3,
    kNamedF4,
    kNamedF5,
    kNamedF6,
    kNamedF7,
    kNamedF8,
    kNamedF9,
    kNamedF10,
    kNamedF11,
    kNamedF12,
};

enum KeyModifier : unsigned { kWithShift = 1, kWithCtrl = 2, kWithAlt = 4 };

// A key pressed with modifiers held, and the command it sends to its window as a menu event.
struct Shortcut {
    int key;  // a NamedKey, or a letter or digit as its upper-case ASCII code
    unsigned modifiers;
    int command;
};
