// The IP address control: four fields of up to three digits, each held to
// its range (0 to 255 unless IPM_SETRANGE narrows it). The operator types
// into the current field; three digits, the dot or a space move on to the
// next field, Backspace in an empty field moves back. Leaving a field holds
// it to its range and tells the parent with IPN_FIELDCHANGED, whose answer
// may replace the value.
#pragma once

#include <array>
#include <string>

#include "common.h"

namespace helm::user::commctrl {

class IpAddress {
public:
    IpAddress(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Field {
        std::string digits;  // empty: blank
        BYTE low = 0;
        BYTE high = 255;
    };
    static int value_of(const Field& f) { return f.digits.empty() ? -1 : std::stoi(f.digits); }
    void set_value(int field, int value);
    int blank_count() const;
    DWORD address() const;
    std::string text() const;
    // Leaves the current field (range, IPN_FIELDCHANGED) and enters `next`
    // with its digits to be replaced by what is typed.
    void move_to(int next);
    void leave_field();
    void changed();  // the operator changed a field: EN_CHANGE
    LRESULT on_char(char c);
    LRESULT on_key(WPARAM key);
    LRESULT on_paint();

    HWND m_window;
    std::array<Field, 4> m_fields;
    int m_field = 0;
    bool m_replace = true;  // the next digit replaces the field's digits
    bool m_has_focus = false;
};

}  // namespace helm::user::commctrl
