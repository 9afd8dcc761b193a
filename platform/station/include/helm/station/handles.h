// Handle values unique in the whole station, for window handles and other
// objects that travel between processes.
#pragma once

#include <cstdint>

namespace helm::station {

// Lowest and highest values handed out: above the small special window
// values (HWND_BROADCAST is 0xFFFF) and below 0x7FFFFFFF, so a handle fits
// a positive 32-bit long.
inline constexpr uint32_t first_station_handle = 0x00010000;
inline constexpr uint32_t last_station_handle = 0x7FFFFFFE;

// A value never handed out before in this station, or 0 when there is no
// station, the counter file is damaged, or the range is used up.
uint32_t allocate_handle();

}  // namespace helm::station
