// Portserver's string ids, shared by its resource script and its code.
#pragma once

#define IDS_COLUMN_PORT 100
#define IDS_COLUMN_STATE 101
#define IDS_COLUMN_SETTINGS 102
#define IDS_COLUMN_PROTOCOL 103
#define IDS_STATE_ON 104
#define IDS_STATE_OFF 105
#define IDS_SERIAL_PORT 106
#define IDS_SOCKET 107
#define IDS_CLOSE_QUESTION 108
