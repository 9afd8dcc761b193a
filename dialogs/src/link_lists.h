// The lists of the link pages: serial ports shown as "COM <n> " and socket
// connections as "SOCK <k>", and the fixed settings of a serial link.
#pragma once

#include "afxwin.h"

namespace helm::dialogs {

// The host gives at most this many ports (the 32 serial ports and the 5
// sockets).
inline constexpr unsigned max_link_ports = 37;

// Appends one entry of `format` (a string id: "COM %d ", "SOCK %d") per
// number, in the given order.
void append_link_entries(CComboBox& list, UINT format, const unsigned* numbers, unsigned count);
// Selects the entry of that number; when there is none, entry 0 unless an
// entry is selected already.
void select_link_entry(CComboBox& list, UINT format, unsigned number);
// The number read from the selected entry with `format`; 0 when the list
// shows nothing.
unsigned selected_link_number(const CComboBox& list, UINT format);
// The text of a parity code (0 none, 1 odd, 2 even) or a stop-bit count
// (1, 2); a value outside its range shows as its number.
CString parity_text(int parity);
CString stop_bits_text(int stop);

}  // namespace helm::dialogs
