// The records of the inertial navigation systems that Helmcore fills and
// the main program reads: settings, texts and live data, and the command
// ids and data kinds. Plain data, zeroed and copied as a whole; every text
// has its size beside it and is always NUL-terminated.
#pragma once

#include <cstdint>

#include "helm/sensorlink/sensor_records.h"

// Command ids of the inertial command set.
enum E_INS_COMMAND : int {
    INS_ID_TXT_STATUS = 1524,  // + list: STATUS, ALGSTS, HT_STS
    INS_ID_TXT_VERLDR = 1527,
    INS_ID_TXT_VERFRM = 1528,
    INS_ID_TXT_SERNUM = 1529,
    INS_ID_TXT_RSCM = 1530,
    INS_ID_TXT_RSIN = 1531,
    INS_ID_TXT_RSOUT = 1532,
    INS_ID_TXT_ANOUT = 1533,
    INS_ID_TXT_IOIN = 1534,
    INS_ID_TXT_IOOUT = 1535,
    INS_ID_TXT_ZUP = 1536,
    INS_ID_TXT_START = 1537,
    INS_ID_TXT_ALTMDE = 1538,
    INS_ID_TXT_UTCINT = 1539,
    INS_ID_TXT_GPSKFM = 1540,
    INS_ID_RSCM = 1541,    // + port, A to G
    INS_ID_RSIN = 1548,    // + port
    INS_ID_RSOUT = 1555,   // + port
    INS_ID_ANOUT = 1562,   // + output, A to D
    INS_ID_IOOUT = 1566,   // + pulse output, A and B
    INS_ID_IOIN = 1568,    // + pulse input, A and B
    INS_ID_KFM = 1570,     // + GPSKFM, LMNKFM, GP2KFM, DEPKFM, LBLKFM, LOGKFM, LOGWTM
    INS_ID_INT = 1577,     // + UTCINT, GPSINT, LMNINT, GP2INT, DEPINT, LOGINT, LBLINT, LOGSND
    INS_ID_START = 1585,
    INS_ID_ZUP = 1586,
    INS_ID_ALTMDE = 1587,
    INS_ID_NONE = 1588,    // builds nothing
    INS_ID_USBKFM = 1589,  // + beacon, 0 to 2
    INS_ID_USBLV = 1592,   // + beacon
    INS_ID_USBINT = 1595,  // + beacon
    INS_ID_USBVIE = 1598,
    INS_ID_LV = 1599,      // + GPSLV_, LMNLV_, GP2LV_, DEPLV_, LBLLV_, LOGLV_
    INS_ID_LOGCAL = 1605,
    INS_ID_LOGTAM = 1606,
    INS_ID_MANPOS = 1607,
    INS_ID_UTMWGS = 1608,
    INS_ID_BIAS = 1609,
    INS_ID_AXISOR = 1610,
    INS_ID_LEVARM = 1611,
    INS_ID_SECLV = 1612,   // + arm, A to C
    INS_ID_EQP = 1615,
    INS_ID_RESET = 1616,
    INS_ID_SAVE = 1617,
    INS_ID_RAZNAV = 1618,
    INS_ID_GONAV = 1619,
    INS_ID_CVSTAT = 1620,
    INS_ID_DDRECK = 1621,
    INS_ID_USBNBB = 1622,
    INS_ID_NBRIO = 1623,
    INS_ID_IORS = 1624,
};

// Data kinds: the lParam of "VARNEK_INSDATA".
enum E_INS_DATA_KIND : int {
    INS_DATA_ATTITUDE = 1024,
    INS_DATA_HEAVE = 1025,
    INS_DATA_POSITION = 1026,
    INS_DATA_SPEED = 1027,
    INS_DATA_STATUS = 1028,
};

// System types as SystemType holds them.
enum E_INS_SYSTEM : uint16_t {
    INS_SYSTEM_UNKNOWN = 0,
    INS_SYSTEM_SELVO = 1,
    INS_SYSTEM_TARNO = 6,
    INS_SYSTEM_QUILLO3IO = 8,
    INS_SYSTEM_QUILLO7IO = 9,
    INS_SYSTEM_SUBSEA_QUILLO = 11,
    INS_SYSTEM_GRAVO = 13,
    INS_SYSTEM_PELNO = 14,
};

constexpr int INS_TEXT_SIZE = 33;             // 32 characters and the NUL
constexpr int INS_SYSTEM_NAME_SIZE = 198;
constexpr int INS_MAX_RS_PORT = 7;            // serial ports A to G
constexpr int INS_MAX_PULSE_PORT = 2;         // pulse outputs and inputs A and B
constexpr int INS_MAX_ANALOG_OUTPUT = 4;      // analog outputs A to D
constexpr int INS_MAX_BEACON = 3;             // USBL beacons 0 to 2
constexpr int INS_NB_KFM = 7;
constexpr int INS_NB_INTERFACE = 8;
constexpr int INS_NB_LEVER_ARM = 6;
constexpr int INS_MAX_SECONDARY_ARM = 3;
constexpr int INS_NB_INFO = 3;                // SERNUM, VERFRM, VERLDR
constexpr int INS_LIST_MAX_TEXTS = 64;
constexpr int INS_STATUS_LISTS = 3;           // STATUS, ALGSTS, HT_STS
constexpr int INS_STATUS_POINTERS = 320;
constexpr int INS_TEXT_GROUP_MAX_FIELDS = 2;

// Serial port types.
enum E_INS_PORT_TYPE : uint16_t { INS_PORT_OUTPUT = 1, INS_PORT_INPUT = 2, INS_PORT_IN_OUT = 3 };

// --- Settings ------------------------------------------------------------

struct sINS_RSCM {  // "RSCM_x": baud rate, parity
    int32_t Baudrate;
    int32_t Parity;
    uint8_t Valid;
};

struct sINS_RSIN {  // "RSIN_x": protocol and two parameters
    int32_t Protocol;
    int32_t Param1;
    int32_t Param2;
    uint8_t Valid;
};

struct sINS_RSOUT {  // "RSOUTx": protocol, rate, lever arm, two parameters
    int32_t Protocol;
    int32_t Rate;
    int32_t LeverArm;
    int32_t Param1;
    int32_t Param2;
    uint8_t Valid;
};

struct sINS_ANALOG {  // "ANOUTx": scale, variable, offset
    float Scale;
    int32_t Variable;
    float Offset;
    uint8_t Valid;
};

struct sINS_PULSE {  // "IOOUTx" / "IOIN_x": value, mode
    float Value;
    int32_t Mode;
    uint8_t Valid;
};

struct sINS_MODE {  // one number: a KFM mode, an interface, start/ZUP/altitude mode
    int32_t Mode;
    uint8_t Valid;
};

struct sINS_VECTOR {  // x, y, z (%.03f)
    float X, Y, Z;
    uint8_t Valid;
};

struct sINS_USBL_BEACON {
    int32_t KfmMode;   // "USBKFM"
    uint8_t KfmValid;
    float LvX, LvY, LvZ;  // "USBLV_"
    uint8_t LvValid;
    int32_t Interface;    // "USBINT"
    char Code[INS_TEXT_SIZE];
    uint8_t IntValid;
};

struct sINS_LOGCAL {  // "LOGCAL"
    float A, B, C;    // %.03f
    float D;          // %.04f
    uint8_t Valid;
};

struct sINS_LOGTAM {  // "LOGTAM": the current model
    float Speed;
    float Direction;
    uint8_t Valid;
};

struct sINS_MANPOS {  // "MANPOS"
    double Latitude;   // degrees, %.08f
    double Longitude;
    float Altitude;    // metres
    uint8_t Valid;
};

struct sINS_UTMPOS {  // "UTMWGS"
    char Hemisphere;   // 'N' or 'S'
    int32_t Zone;
    double Easting;    // metres, %.03f
    double Northing;
    float Altitude;
    uint8_t Valid;
};

struct sINS_SETTINGS {
    uint16_t Spare;
    uint16_t SystemType;  // E_INS_SYSTEM
    char SystemName[INS_SYSTEM_NAME_SIZE];
    uint16_t NbRsPort;
    uint16_t RsPortType[INS_MAX_RS_PORT];       // E_INS_PORT_TYPE
    uint8_t RsPortTypeValid[INS_MAX_RS_PORT];   // set by the "IORS_" answer
    uint16_t NbPulsePort;
    uint16_t NbAnalogicOutput;
    uint8_t InfoValid[INS_NB_INFO];             // SERNUM, VERFRM, VERLDR

    char SerialNumber[INS_TEXT_SIZE];  // "SERNUM"
    char Firmware[INS_TEXT_SIZE];      // "VERFRM"
    char Loader[INS_TEXT_SIZE];        // "VERLDR"

    sINS_RSCM RsCm[INS_MAX_RS_PORT];
    sINS_RSIN RsIn[INS_MAX_RS_PORT];
    sINS_RSOUT RsOut[INS_MAX_RS_PORT];
    sINS_ANALOG Analog[INS_MAX_ANALOG_OUTPUT];
    sINS_PULSE PulseOut[INS_MAX_PULSE_PORT];
    sINS_PULSE PulseIn[INS_MAX_PULSE_PORT];
    sINS_MODE Kfm[INS_NB_KFM];              // E_INS_COMMAND INS_ID_KFM order
    sINS_MODE Interface[INS_NB_INTERFACE];  // INS_ID_INT order
    sINS_MODE StartMode;
    sINS_MODE ZupMode;
    sINS_MODE AltitudeMode;
    sINS_USBL_BEACON Beacon[INS_MAX_BEACON];
    sINS_MODE BeaconViewer;                 // "USBVIE"
    sINS_VECTOR LeverArm[INS_NB_LEVER_ARM]; // INS_ID_LV order
    sINS_LOGCAL LogCal;
    sINS_LOGTAM LogTam;
    sINS_MANPOS ManualPosition;
    sINS_UTMPOS UtmPosition;
    sINS_VECTOR Bias;
    sINS_MODE AxisOrientation;              // "AXISOR"
    sINS_VECTOR PrimaryLeverArm;            // "LEVARM"
    sINS_VECTOR SecondaryLeverArm[INS_MAX_SECONDARY_ARM];  // "SECLVx"

    uint16_t NbUsblBeacon;                  // "USBNBB"
    uint8_t NbUsblBeaconValid;
    uint8_t StaticAlignment;                // set: "CVSTAT" turns it off
    uint8_t DvlDeadReckoning;               // "DDRECK" answer, non-zero on
    uint8_t DvlDeadReckoningValid;
    uint8_t SaveDone;                       // "SAVE__" answered
};

// --- Texts ---------------------------------------------------------------

// One enumeration the system names one text at a time.
struct sINS_TEXT_LIST {
    int32_t Count;  // texts received, the index of the next ask
    uint16_t Code[INS_LIST_MAX_TEXTS];
    char Text[INS_LIST_MAX_TEXTS][INS_TEXT_SIZE];
    uint8_t Valid;  // the whole list has arrived
};

// The lists of one text ask, one per enumerated field of its settings.
struct sINS_TEXT_GROUP {
    uint16_t CurrentField;
    uint16_t NbField;
    sINS_TEXT_LIST List[INS_TEXT_GROUP_MAX_FIELDS];
    uint8_t Complete;
};

struct sINS_STATUS_LIST {
    sSTATUS Entry[INS_LIST_MAX_TEXTS];
    int32_t Count;  // texts stored; the index sent in the next ask
};

enum E_INS_TEXT_GROUP {
    INS_TXT_RSCM, INS_TXT_RSIN, INS_TXT_RSOUT, INS_TXT_ANOUT, INS_TXT_IOIN, INS_TXT_IOOUT,
    INS_TXT_ZUP, INS_TXT_START, INS_TXT_ALTMDE, INS_TXT_UTCINT, INS_TXT_GPSKFM,
    INS_TXT_GROUP_COUNT
};

struct sINS_TEXT {
    sSTATUS* StatusPtr[INS_STATUS_POINTERS];  // every named bit, sorted by code
    uint16_t NbStatusPtr;
    sINS_STATUS_LIST Status[INS_STATUS_LISTS];  // STATUS, ALGSTS, HT_STS
    uint8_t StatusComplete[INS_STATUS_LISTS];
    sINS_TEXT_GROUP Group[INS_TXT_GROUP_COUNT];  // E_INS_TEXT_GROUP order
};

// --- Data ----------------------------------------------------------------

struct sINSDATA {
    float Heading;   // degrees, "ATITUD"
    float Roll;
    float Pitch;
    float Surge;     // metres, "HEAVE_"
    float Sway;
    float Heave;
    double Latitude;   // degrees, "POSITI"
    double Longitude;
    float Altitude;    // metres
    float SpeedNorth;  // m/s, "SPEED_"
    float SpeedEast;
    float SpeedUp;
    uint32_t SystemStatus;  // "STATUS": the three status words
    uint32_t AlgoStatus;
    uint32_t HighLevelStatus;
    uint32_t TimeStamp;     // ms, of the last decoded sentence
    uint16_t WakeUpState;   // 1 while the system asks to be woken up
};
