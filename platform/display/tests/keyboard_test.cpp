// The keyboard's tables: the virtual key of an X key and the character of a
// keysym, as a Windows program expects them whatever the layout.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "helm/user/input.h"
#include "keyboard.h"

namespace {

using helm::display::character_of;
using helm::display::virtual_key_of;

TEST(Keyboard, VirtualKeysFollowTheKeyNotWhatTheLayoutPrintsOnIt)
{
    constexpr unsigned digit_one = 10, key_q = 24, key_m_french = 47, key_comma = 59, keypad_1 = 87;
    const struct {
        KeySym effective, plain;
        unsigned keycode;
        BYTE key;
        const char* what;
    } cases[] = {
        {XK_a, XK_a, 38, 'A', "a letter"},
        {XK_A, XK_a, 38, 'A', "a letter with Shift"},
        {XK_a, XK_a, key_q, 'A', "a French A where the US Q is"},
        {XK_ampersand, XK_ampersand, digit_one, '1', "the French digit row"},
        {XK_1, XK_ampersand, digit_one, '1', "the French digit row with Shift"},
        {XK_exclam, XK_1, digit_one, '1', "the US digit row with Shift"},
        {XK_m, XK_m, key_m_french, 'M', "a letter on a punctuation key"},
        {XK_less, XK_comma, key_comma, VK_OEM_COMMA, "punctuation with Shift"},
        {XK_semicolon, XK_semicolon, key_comma, 0xBA, "a layout's own punctuation"},
        {XK_KP_1, XK_KP_End, keypad_1, VK_NUMPAD0 + 1, "the keypad with Num Lock"},
        {XK_KP_End, XK_KP_End, keypad_1, VK_END, "the keypad without"},
        {XK_Return, XK_Return, 36, VK_RETURN, "Enter"},
        {XK_Linefeed, XK_Linefeed, 0, VK_RETURN, "what typing tools send for a new line"},
        {XK_ISO_Left_Tab, XK_Tab, 23, VK_TAB, "Shift+Tab"},
        {XK_F4, XK_F4, 70, VK_F4, "a function key"},
        {XK_Shift_R, XK_Shift_R, 62, VK_SHIFT, "either Shift"},
        {XK_Alt_L, XK_Alt_L, 64, VK_MENU, "Alt"},
        {XK_Next, XK_Next, 117, VK_NEXT, "Page Down"},
        {XK_dead_circumflex, XK_dead_circumflex, 34, 0xDB, "a dead key by its place"},
        {XK_VoidSymbol, XK_VoidSymbol, 200, 0, "a key Windows has none for"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(virtual_key_of(c.effective, c.plain, c.keycode), c.key) << c.what;
}

TEST(Keyboard, KeysymsTypeWindows1252Characters)
{
    const struct {
        KeySym keysym;
        char c;
    } cases[] = {
        {XK_a, 'a'},           {XK_Z, 'Z'},         {XK_degree, '\xB0'}, {XK_eacute, '\xE9'},
        {XK_EuroSign, '\x80'}, {XK_oe, '\x9C'},     {XK_Return, '\r'},   {XK_KP_Enter, '\r'},
        {XK_BackSpace, '\b'},  {XK_Tab, '\t'},      {XK_Escape, '\x1B'}, {XK_KP_5, '5'},
        {XK_KP_Decimal, '.'},  {XK_F1, 0},          {XK_Left, 0},        {XK_dead_acute, 0},
        {0x10003B1, 0},  // a Greek alpha has no byte
        {0x1000153, '\x9C'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(character_of(c.keysym), c.c) << std::hex << c.keysym;
}

}  // namespace
