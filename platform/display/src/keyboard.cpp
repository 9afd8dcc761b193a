#include "keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "helm/gdi/text.h"
#include "helm/user/input.h"

namespace helm::display {
namespace {

// Windows' virtual keys the layer's headers do not name.
constexpr BYTE vk_pause = 0x13, vk_snapshot = 0x2C, vk_lwin = 0x5B, vk_rwin = 0x5C, vk_apps = 0x5D,
               vk_separator = 0x6C, vk_numlock = 0x90, vk_scroll = 0x91, vk_oem_1 = 0xBA, vk_oem_2 = 0xBF,
               vk_oem_3 = 0xC0, vk_oem_4 = 0xDB, vk_oem_5 = 0xDC, vk_oem_6 = 0xDD, vk_oem_7 = 0xDE,
               vk_oem_102 = 0xE2, vk_clear = 0x0C;

struct KeysymKey {
    KeySym keysym;
    BYTE key;
};

// Keys named by their keysym. The keypad's keysyms differ with Num Lock,
// so they come from the keysym the modifiers give.
constexpr KeysymKey named_keys[] = {
    {XK_BackSpace, VK_BACK},      {XK_Tab, VK_TAB},           {XK_ISO_Left_Tab, VK_TAB},
    {XK_Return, VK_RETURN},       {XK_Linefeed, VK_RETURN},   {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},
    {XK_Pause, vk_pause},         {XK_Print, vk_snapshot},    {XK_Insert, VK_INSERT},
    {XK_Delete, VK_DELETE},       {XK_Home, VK_HOME},         {XK_End, VK_END},
    {XK_Prior, VK_PRIOR},         {XK_Next, VK_NEXT},         {XK_Left, VK_LEFT},
    {XK_Up, VK_UP},               {XK_Right, VK_RIGHT},       {XK_Down, VK_DOWN},
    {XK_Shift_L, VK_SHIFT},       {XK_Shift_R, VK_SHIFT},     {XK_Control_L, VK_CONTROL},
    {XK_Control_R, VK_CONTROL},   {XK_Alt_L, VK_MENU},        {XK_Alt_R, VK_MENU},
    {XK_Meta_L, VK_MENU},         {XK_Meta_R, VK_MENU},       {XK_Caps_Lock, VK_CAPITAL},
    {XK_Num_Lock, vk_numlock},    {XK_Scroll_Lock, vk_scroll}, {XK_Super_L, vk_lwin},
    {XK_Super_R, vk_rwin},        {XK_Menu, vk_apps},         {XK_KP_Enter, VK_RETURN},
    {XK_KP_Multiply, VK_MULTIPLY}, {XK_KP_Add, VK_ADD},       {XK_KP_Separator, vk_separator},
    {XK_KP_Subtract, VK_SUBTRACT}, {XK_KP_Decimal, VK_DECIMAL}, {XK_KP_Divide, VK_DIVIDE},
    {XK_KP_Home, VK_HOME},        {XK_KP_End, VK_END},        {XK_KP_Prior, VK_PRIOR},
    {XK_KP_Next, VK_NEXT},        {XK_KP_Left, VK_LEFT},      {XK_KP_Up, VK_UP},
    {XK_KP_Right, VK_RIGHT},      {XK_KP_Down, VK_DOWN},      {XK_KP_Insert, VK_INSERT},
    {XK_KP_Delete, VK_DELETE},    {XK_KP_Begin, vk_clear},
    {XK_period, VK_OEM_PERIOD},   {XK_comma, VK_OEM_COMMA},   {XK_minus, VK_OEM_MINUS},
    {XK_equal, VK_OEM_PLUS},      {XK_semicolon, vk_oem_1},   {XK_slash, vk_oem_2},
    {XK_grave, vk_oem_3},         {XK_bracketleft, vk_oem_4}, {XK_backslash, vk_oem_5},
    {XK_bracketright, vk_oem_6},  {XK_apostrophe, vk_oem_7},
};

// Keys by their place on a PC keyboard (the server's evdev key codes), for
// the keys whose keysym a layout changes.
struct PlaceKey {
    unsigned keycode;
    BYTE key;
};
constexpr PlaceKey placed_keys[] = {
    {10, '1'},        {11, '2'},        {12, '3'},        {13, '4'},        {14, '5'},
    {15, '6'},        {16, '7'},        {17, '8'},        {18, '9'},        {19, '0'},
    {20, VK_OEM_MINUS}, {21, VK_OEM_PLUS}, {34, vk_oem_4}, {35, vk_oem_6},   {47, vk_oem_1},
    {48, vk_oem_7},   {49, vk_oem_3},   {51, vk_oem_5},   {59, VK_OEM_COMMA}, {60, VK_OEM_PERIOD},
    {61, vk_oem_2},   {94, vk_oem_102},
};

}  // namespace

BYTE virtual_key_of(KeySym effective, KeySym plain, unsigned keycode)
{
    if (effective >= XK_KP_0 && effective <= XK_KP_9)
        return static_cast<BYTE>(VK_NUMPAD0 + (effective - XK_KP_0));
    if (effective >= XK_F1 && effective <= XK_F24)
        return static_cast<BYTE>(VK_F1 + (effective - XK_F1));
    for (const auto& row : named_keys)
        if (row.keysym == effective && effective >= XK_KP_Space && effective <= XK_KP_9)
            return row.key;
    if (plain >= XK_a && plain <= XK_z)
        return static_cast<BYTE>('A' + (plain - XK_a));
    if (plain >= XK_A && plain <= XK_Z)
        return static_cast<BYTE>(plain);
    if (plain >= XK_0 && plain <= XK_9)
        return static_cast<BYTE>(plain);
    for (const auto& row : named_keys)
        if (row.keysym == plain)
            return row.key;
    for (const auto& row : placed_keys)
        if (row.keycode == keycode)
            return row.key;
    return 0;
}

char character_of(KeySym keysym)
{
    char32_t c = 0;
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        c = static_cast<char32_t>(keysym);
    else if (keysym >= 0x1000100 && keysym <= 0x110FFFF)
        c = static_cast<char32_t>(keysym - 0x1000000);
    else if (keysym >= 0x20A0 && keysym <= XK_EuroSign)  // the currency keysyms are their code points
        c = static_cast<char32_t>(keysym);
    else {
        static constexpr struct {
            KeySym keysym;
            char32_t c;
        } others[] = {
            {XK_BackSpace, '\b'}, {XK_Tab, '\t'},        {XK_ISO_Left_Tab, '\t'}, {XK_Return, '\r'},
            {XK_Linefeed, '\r'},
            {XK_Escape, 0x1B},    {XK_KP_Enter, '\r'},   {XK_KP_Space, ' '},      {XK_KP_Equal, '='},
            {XK_KP_Multiply, '*'}, {XK_KP_Add, '+'},     {XK_KP_Separator, ','},  {XK_KP_Subtract, '-'},
            {XK_KP_Decimal, '.'}, {XK_KP_Divide, '/'},   {XK_OE, 0x152},          {XK_oe, 0x153},
            {XK_Ydiaeresis, 0x178},
        };
        for (const auto& row : others)
            if (row.keysym == keysym)
                c = row.c;
        if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
            c = static_cast<char32_t>('0' + (keysym - XK_KP_0));
    }
    return gdi::cp1252_from_unicode(c);
}

Keymap::Keysyms Keymap::keysyms_of(Display* display, unsigned keycode, unsigned group)
{
    Keysyms syms;
    for (unsigned level = 0; level < levels; ++level)
        syms[level] = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), static_cast<int>(group),
                                         static_cast<int>(level));
    return syms;
}

void Keymap::load(Display* display)
{
    int min_keycode = 0, max_keycode = 0;
    XDisplayKeycodes(display, &min_keycode, &max_keycode);
    std::vector<std::array<Keysyms, 4>> keys(256 - first_keycode);
    for (unsigned keycode = first_keycode; keycode < 256; ++keycode)
        for (unsigned group = 0; group < 4; ++group) {
            Keysyms& syms = keys[keycode - first_keycode][group];
            if (static_cast<int>(keycode) < min_keycode || static_cast<int>(keycode) > max_keycode)
                syms.fill(NoSymbol);
            else
                syms = keysyms_of(display, keycode, group);
        }
    std::lock_guard lock(m_mutex);
    m_keys = std::move(keys);
}

void Keymap::note_press(Display* display, unsigned keycode, unsigned group, DWORD time)
{
    if (keycode < first_keycode || keycode > 255)
        return;
    const Keysyms syms = keysyms_of(display, keycode, group & 3);
    std::lock_guard lock(m_mutex);
    m_group = group & 3;
    m_presses[m_next_press] = {keycode, time, syms};
    m_next_press = (m_next_press + 1) % m_presses.size();
}

char Keymap::character(unsigned keycode, DWORD time, user::KeyModifiers modifiers) const
{
    if (keycode < first_keycode || keycode > 255)
        return 0;
    Keysyms syms{};
    {
        std::lock_guard lock(m_mutex);
        bool found = false;
        for (size_t n = 1; n <= m_presses.size() && !found; ++n) {
            const Press& press = m_presses[(m_next_press + m_presses.size() - n) % m_presses.size()];
            if (press.keycode == keycode && press.time == time) {
                syms = press.keysyms;
                found = true;
            }
        }
        if (!found) {
            if (m_keys.empty())
                return 0;
            syms = m_keys[keycode - first_keycode][m_group];
        }
    }
    // Caps Lock shifts the keys whose plain keysym is a letter.
    KeySym lower = NoSymbol, upper = NoSymbol;
    XConvertCase(syms[0], &lower, &upper);
    const bool letter = lower != upper;
    const unsigned level =
        (modifiers.alt_gr ? 2u : 0u) | ((modifiers.shift != (modifiers.caps_lock && letter)) ? 1u : 0u);
    KeySym keysym = syms[level];
    // A key of one level gives the same with Shift.
    if (keysym == NoSymbol && level == 1)
        keysym = syms[0];
    return character_of(keysym);
}

}  // namespace helm::display
