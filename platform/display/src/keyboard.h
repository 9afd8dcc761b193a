// The keyboard as Windows programs see it: the virtual key of each X key,
// and the character a key gives on the layout the X server has, which
// TranslateMessage asks for through the screen.
#pragma once

#include <X11/Xlib.h>

#include <array>
#include <mutex>
#include <vector>

#include "helm/user/screen.h"

namespace helm::display {

// The virtual key of an X key: by its keysym where that says what the key
// is (letters, digits, named keys, the keypad as Num Lock has it), else by
// its place on a PC keyboard, so that the digit row and the punctuation keys
// keep the virtual keys Windows gives them whatever a layout prints on them.
// `effective` is the keysym with the event's modifiers, `plain` the key's
// first keysym. 0 for a key Windows has no virtual key for.
BYTE virtual_key_of(KeySym effective, KeySym plain, unsigned keycode);

// The Windows-1252 character a keysym types; 0 for none (dead keys,
// function keys, characters Windows-1252 lacks).
char character_of(KeySym keysym);

// Each key's keysyms per group and level, as the server maps them, read
// again when the mapping changes; read from any thread. Each press keeps
// the keysyms its key had then, since a program that types characters the
// layout lacks (xdotool, input methods) maps them to a spare key for a
// moment only.
class Keymap {
public:
    // On the display thread.
    void load(Display* display);
    void note_press(Display* display, unsigned keycode, unsigned group, DWORD time);

    // The character a key gives with the modifiers: as it was for its press
    // at `time` when that is known, else as the key is mapped now, in the
    // group of the last key typed. 0 when the layout gives none.
    char character(unsigned keycode, DWORD time, user::KeyModifiers modifiers) const;

private:
    static constexpr unsigned first_keycode = 8;
    static constexpr unsigned levels = 4;  // plain, Shift, AltGr, Shift+AltGr
    using Keysyms = std::array<KeySym, levels>;
    struct Press {
        unsigned keycode = 0;
        DWORD time = 0;
        Keysyms keysyms{};
    };
    static Keysyms keysyms_of(Display* display, unsigned keycode, unsigned group);

    mutable std::mutex m_mutex;
    std::vector<std::array<Keysyms, 4>> m_keys;  // from first_keycode, by group
    unsigned m_group = 0;
    std::array<Press, 64> m_presses{};  // the last ones, round
    size_t m_next_press = 0;
};

}  // namespace helm::display
