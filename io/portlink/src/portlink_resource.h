// Portlink's resource ids, shared by its resource script and its code. A
// dialog control whose id is that of a string takes the string as its text
// when the dialog opens.
#pragma once

// The serial port dialog.
#define IDD_COM_SETTINGS 5022
#define IDS_COM_PORT_LABEL 601  // "COM n°%02d"
#define IDS_COM_TITLE 602       // "Settings for COM %i"
#define IDS_PARITY_FIRST 610    // none, odd, even, mark, space
#define IDS_STOP_BITS_FIRST 620 // 1, 1.5, 2
#define IDC_COM_BAUD 5030
#define IDC_COM_PARITY 5031
#define IDC_COM_DATA_BITS 5032
#define IDC_COM_STOP_BITS 5033
#define IDC_COM_TRIGGER 5034
#define IDC_COM_TIMEOUT 5035

// Labels of the settings file, also the serial dialog's labels.
#define IDS_SERIAL_SECTION 1500
#define IDS_ON_OFF 1501
#define IDS_BAUD 1502
#define IDS_PARITY 1503
#define IDS_DATA_BITS 1504
#define IDS_STOP_BITS 1505
#define IDS_TRIGGER 1506
#define IDS_PROTOCOL 1507
#define IDS_OPTIONS 1508
#define IDS_TIMEOUT 1509
#define IDS_SOCKET_SECTION 1510
#define IDS_SOCKET_TYPE 1511
#define IDS_SOCKET_PORT 1512
#define IDS_SOCKET_ADDRESS 1513
#define IDS_SOCKET_MODE 1514

#define IDS_SERVER_NAME 5001
#define IDS_SERVER_NOT_STARTED 5005

// The socket dialog: each text's id is its control's.
#define IDD_SOCK_SETTINGS 7001
#define IDC_SOCK_LABEL 7002
#define IDC_SOCK_PORT_LABEL 7003
#define IDC_SOCK_PORT 7004
#define IDC_SOCK_TIMEOUT_LABEL 7005
#define IDC_SOCK_TIMEOUT 7006
#define IDC_SOCK_MS 7007
#define IDC_SETTINGS_OK 7008
#define IDC_SETTINGS_CANCEL 7009
#define IDC_SOCK_ADDRESS_LABEL 7010
#define IDC_SOCK_MODE_LABEL 7011
#define IDC_SOCK_MODE_FIRST 7012  // the four modes, 7012 to 7015
#define IDC_SOCK_ADDRESS 7020
