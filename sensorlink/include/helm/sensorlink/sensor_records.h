// The sensor records that Helmcore fills and the main program reads: the
// queued command, the status bit, the Talvor's settings, texts and data,
// and the link parameters. Plain data, zeroed and copied as a whole; every
// text has its size beside it and is always NUL-terminated.
#pragma once

#include <cstdint>

#include "helm/kernel/types.h"

// Command ids of the Talvor command set.
enum E_TVR_COMMAND : int {
    TVR_ID_FIRST_LOAD = 1524,  // first id of the Talvor3 load; builds nothing
    TVR_ID_STAALG = 1525,
    TVR_ID_STASYS = 1526,
    TVR_ID_STASOR = 1527,
    TVR_ID_STA_HL = 1528,
    TVR_ID_SERNUM = 1529,
    TVR_ID_LOADER = 1530,
    TVR_ID_VERSIO = 1531,
    TVR_ID_LOADCI = 1532,
    TVR_ID_VERSCI = 1533,
    TVR_ID_TXT_RSCM = 1534,
    TVR_ID_TXT_RSIN = 1535,
    TVR_ID_TXT_RSOUT = 1536,
    TVR_ID_TXT_IOIN = 1537,
    TVR_ID_TXT_IOOUT = 1538,
    TVR_ID_TXT_PPSIN = 1539,
    TVR_ID_TXT_SYNCIN = 1540,
    TVR_ID_TXT_PULSIA = 1541,
    TVR_ID_TXT_PULSIB = 1542,
    TVR_ID_TXT_ELCFI = 1543,
    TVR_ID_TXT_ELCFO = 1544,
    TVR_ID_TXT_EDIRI = 1545,
    TVR_ID_TXT_EDIRO = 1546,
    TVR_ID_TXT_UTCINT = 1547,
    TVR_ID_TXT_ANOUT = 1548,
    TVR_ID_TXT_PULSOA = 1549,
    TVR_ID_TXT_PULSOB = 1550,
    TVR_ID_RSCM = 1551,   // + port index, A to E
    TVR_ID_RSIN = 1556,   // + port index
    TVR_ID_RSOUT = 1561,  // + port index
    TVR_ID_BIAS = 1566,
    TVR_ID_LEVER = 1567,
    TVR_ID_LEVER2 = 1568,  // + arm index, A to C
    TVR_ID_ORIENT = 1571,
    TVR_ID_SPARE1 = 1572,
    TVR_ID_SPARE2 = 1573,
    TVR_ID_EDIRI = 1574,  // + port index
    TVR_ID_EDIRO = 1579,  // + port index
    TVR_ID_ELCFI = 1584,  // + port index
    TVR_ID_ELCFO = 1589,  // + port index
    TVR_ID_UTCINT = 1594,
    TVR_ID_PULSE = 1595,  // + pulse slot, 0 to 5
    TVR_ID_ETHIP = 1601,
    TVR_ID_MANUAL = 1602,
    TVR_ID_ANOUT = 1603,  // + output index, A to D
    TVR_ID_MODEL = 1607,
    TVR_ID_RESET = 1608,
    TVR_ID_SAVE = 1609,
};

// Data kinds: the lParam of "VARNEK_TVRDATA".
enum E_TVR_DATA_KIND : int {
    TVR_DATA_HEADING = 1024,
    TVR_DATA_ATTITUDE = 1025,
    TVR_DATA_HEAVE = 1026,
    TVR_DATA_SPEEDS = 1027,
    TVR_DATA_LAT_SPEED = 1028,
    TVR_DATA_STATUS_SYS = 1029,
    TVR_DATA_STATUS_ALG = 1030,
    TVR_DATA_STATUS_SOR = 1031,
    TVR_DATA_STATUS_HL = 1032,
    TVR_DATA_USER_WORD = 1033,
    TVR_DATA_UTC_TIME = 1034,
};

// Sensor models as SystemType holds them.
enum E_TVR_MODEL : uint16_t {
    TVR_MODEL_UNKNOWN = 0,
    TVR_MODEL_TALVOR4 = 7,
    TVR_MODEL_TALVOR3 = 15,
};

constexpr int TVR_TEXT_SIZE = 33;        // 32 characters and the NUL
constexpr int TVR_MAX_RS_PORT = 5;       // serial ports A to E
constexpr int TVR_MAX_ANALOG_OUTPUT = 4; // analog outputs A to D
constexpr int TVR_MAX_LEVER2 = 3;        // secondary lever arms A to C
constexpr int TVR_PULSE_SLOTS = 6;       // PPS, synchro 1, synchro 2, log, pulse A, pulse B
constexpr int TVR_USER_PROTOCOL_NAME_SIZE = 128;
constexpr int TVR_USER_PROTOCOL_TEXT_SIZE = 256;
constexpr int TVR_LIST_MAX_TEXTS = 64;
constexpr int TVR_STATUS_BITS = 32;
constexpr int TVR_STATUS_WORDS_PER_LIST = 2;
constexpr int TVR_STATUS_LISTS = 4;      // STAALG, STASYS, STASOR, STA_HL
constexpr int TVR_STATUS_POINTERS = 512;
constexpr int TVR_TEXT_GROUP_MAX_FIELDS = 4;

// One queued command of C_Q_MsgFifo.
struct sMSG {
    int32_t id;          // command id, 1 or more
    uint16_t type;       // 0 ask, 1 set
    uint8_t keep;        // stays at the head after being taken
    uint8_t spare;
    uint32_t period;     // resend period, ms
    uint32_t next_due;   // tick (ms) at which it is next due; 0 = at once
};
static_assert(sizeof(sMSG) == 16);

// One bit of a sensor status word.
struct sSTATUS {
    char text[TVR_TEXT_SIZE];
    uint32_t code;        // low 4 bits: display mode; bits 8 to 11: event category
    uint16_t red, green, blue;
    uint16_t bold;        // 0 normal, 2 bold
    uint16_t event_type;  // 0 neutral, 1 alarm, 2 good
    uint32_t mask;        // the bit in its 32-bit word
    uint8_t changed;      // the status tree: shares its item with a neighbour
    uint32_t tree_item;   // the status tree's item handle (32-bit handle number)
};
static_assert(sizeof(sSTATUS) == 64);

// --- Settings ------------------------------------------------------------

struct sTVR_RS_PORT {
    // "RSCM_": line settings. The Talvor3 has no RS level field.
    int32_t Baudrate;
    int32_t Parity;
    int32_t StopBits;
    int32_t RsLevel;
    uint8_t RsCmValid;
    // "RSIN_": input protocol. InMode exists on the Talvor3 only.
    int32_t InProtocol;
    int32_t InTimeOut;
    int32_t InMode;
    uint8_t RsInValid;
    // "RSOUT" and "RSUDP": output protocol. The Talvor3 has no ZDA flag.
    int32_t OutProtocol;  // 2: user-defined protocol, "RSUDP" carries its definition
    int32_t LeverArm;
    int32_t OutRate;      // ms
    int32_t HeaveFilter;
    int32_t Zda;
    char UserProtocolName[TVR_USER_PROTOCOL_NAME_SIZE];
    char UserProtocol[TVR_USER_PROTOCOL_TEXT_SIZE];
    uint8_t RsOutValid;
};

// "EDIRI" / "EDIRO": the device on a port's input or output.
struct sTVR_DEVICE {
    int32_t Device;
    uint8_t Valid;
};

// "ELCFI" / "ELCFO": the Ethernet channel of a port's input or output.
struct sTVR_ETHERNET_CHANNEL {
    int32_t Transport;
    uint8_t IpAddress[4];
    int32_t IpPort;
    uint8_t Valid;
};

// "ANOUT": one analog output (Talvor3).
struct sTVR_ANALOG_OUTPUT {
    float Scale;
    int32_t Variable;
    int32_t Range;
    uint8_t Valid;
};

// One pulse input or output. Talvor4: slots PPS, synchro 1 ("SYNCIN"),
// synchro 2 ("PULSIA"), log ("PULSIB"), pulse A ("PULSOA") and pulse B
// ("PULSOB"), each a protocol and a parameter. Talvor3: slots 2 and 3 are
// the pulse inputs A and B ("IOIN_"), 4 and 5 the outputs A and B ("IOOUT"),
// each a value (Parameter) and a mode (Protocol).
struct sTVR_PULSE {
    int32_t Protocol;
    float Parameter;
    uint8_t Valid;
};

struct sTVR_VECTOR {
    float X, Y, Z;
    uint8_t Valid;
};

struct sTVR_SETTINGS {
    uint16_t Spare;
    uint16_t SystemType;  // E_TVR_MODEL
    // The head texts. SystemName holds the model name once it is known;
    // the others come from the system-information text answers.
    char SystemName[TVR_TEXT_SIZE];
    char DspFirmware[TVR_TEXT_SIZE];   // "VERSIO"
    char DspLoader[TVR_TEXT_SIZE];     // "LOADER"
    char MpcFirmware[TVR_TEXT_SIZE];   // "VERSCI"
    char MpcLoader[TVR_TEXT_SIZE];     // "LOADCI"
    char SerialNumber[TVR_TEXT_SIZE];  // "SERNUM"
    uint16_t NbRsPort;
    uint16_t NbRsOutPort;
    uint16_t NbRsInPort;
    uint16_t NbPulsePort;
    uint16_t NbPulseOutput;
    uint16_t NbPulseInput;
    uint16_t NbAnalogicOutput;

    sTVR_RS_PORT RsPort[TVR_MAX_RS_PORT];
    sTVR_ETHERNET_CHANNEL EthernetIn[TVR_MAX_RS_PORT];
    sTVR_ETHERNET_CHANNEL EthernetOut[TVR_MAX_RS_PORT];
    sTVR_DEVICE DeviceIn[TVR_MAX_RS_PORT];
    sTVR_DEVICE DeviceOut[TVR_MAX_RS_PORT];
    sTVR_ANALOG_OUTPUT AnalogOutput[TVR_MAX_ANALOG_OUTPUT];
    sTVR_PULSE Pulse[TVR_PULSE_SLOTS];

    // "UTCINT"
    int32_t UtcInterface;
    int32_t UtcPpsMode;
    uint8_t UtcValid;

    // "ETHIP": the Ethernet boot address.
    int32_t EthDhcpMode;
    uint8_t EthIpAddress[4];
    uint8_t EthNetMask[4];
    uint8_t EthBootValid;

    sTVR_VECTOR LeverArm2[TVR_MAX_LEVER2];  // "KVLVA" to "KVLVC"
    sTVR_VECTOR LeverArm;                   // "KVLEV"
    sTVR_VECTOR Bias;                       // "KVBIA"

    int32_t AxisOrientation;  // "KVORI"
    uint8_t AxisOrientationValid;

    float ManualSpeed;  // "KVMAN", knots
    float ManualLatitude;  // degrees
    uint8_t ManualValid;
};

// --- Texts ---------------------------------------------------------------

// One enumeration the sensor names one text at a time.
struct sTVR_TEXT_LIST {
    int32_t Cursor;          // index of the next text to ask; texts received so far
    uint16_t NbText;
    uint16_t NbAnnounced;    // the count the sensor's answers announce
    uint16_t Code[TVR_LIST_MAX_TEXTS];  // the sensor's value for each text
    char Text[TVR_LIST_MAX_TEXTS][TVR_TEXT_SIZE];
    uint8_t Valid;           // the whole list has arrived
};
static_assert(sizeof(sTVR_TEXT_LIST::Code) == 128);

// The lists of one "$KVTXT" group, one per enumerated field of its
// settings sentence.
struct sTVR_TEXT_GROUP {
    uint16_t CurrentField;   // index into List of the list being read
    uint16_t NbField;        // lists of this group for the current model
    sTVR_TEXT_LIST List[TVR_TEXT_GROUP_MAX_FIELDS];
    uint8_t Complete;        // every list of the group has arrived
};

// One status word: its 32 bits, bit 0 first, and how many are named.
struct sTVR_STATUS_WORD {
    sSTATUS Bit[TVR_STATUS_BITS];
    uint16_t NbBit;
};

// One status list of 64 texts: entries 0 to 31 are word 1, 32 to 63 word 2.
struct sTVR_STATUS_LIST {
    sTVR_STATUS_WORD Word[TVR_STATUS_WORDS_PER_LIST];
    int32_t Cursor;  // texts received
};

enum E_TVR_STATUS_LIST { TVR_STATUS_ALG = 0, TVR_STATUS_SYS = 1, TVR_STATUS_SOR = 2, TVR_STATUS_HL = 3 };

enum E_TVR_TEXT_GROUP {
    TVR_TXT_SERNUM, TVR_TXT_LOADER, TVR_TXT_VERSIO, TVR_TXT_LOADCI, TVR_TXT_VERSCI,
    TVR_TXT_RSCM, TVR_TXT_RSIN, TVR_TXT_RSOUT,
    TVR_TXT_IOIN, TVR_TXT_IOOUT, TVR_TXT_PPSIN, TVR_TXT_SYNCIN,
    TVR_TXT_PULSIA, TVR_TXT_PULSIB, TVR_TXT_PULSOA, TVR_TXT_PULSOB,
    TVR_TXT_ELCFI, TVR_TXT_ELCFO, TVR_TXT_EDIRI, TVR_TXT_EDIRO,
    TVR_TXT_UTCINT, TVR_TXT_ANOUT,
    TVR_TXT_GROUP_COUNT
};

struct sTVR_TEXT {
    sSTATUS* StatusPtr[TVR_STATUS_POINTERS];  // every named bit, sorted by code
    uint16_t NbStatusPtr;
    sTVR_STATUS_LIST Status[TVR_STATUS_LISTS];  // E_TVR_STATUS_LIST order
    uint8_t StatusComplete[TVR_STATUS_LISTS];
    sTVR_TEXT_GROUP Group[TVR_TXT_GROUP_COUNT];  // E_TVR_TEXT_GROUP order
};

// --- Data ----------------------------------------------------------------

struct sTVRDATA {
    float PreviousHeading;  // the heading before the latest heading sentence
    float Heading;          // degrees
    float Roll;
    float Pitch;
    float Heave;            // metres
    float Surge;
    float Sway;
    float SpeedSurge;       // m/s, the three values of "$KVSPD"
    float SpeedSway;
    float SpeedHeave;
    float SpeedKnots;       // "$KVCMP"
    uint32_t UserStatus;
    uint32_t SystemStatus1, SystemStatus2;
    uint32_t AlgoStatus1, AlgoStatus2;
    uint32_t SensorStatus1, SensorStatus2;
    uint32_t HighLevelStatus;
    uint16_t UtcHours;
    uint16_t UtcMinutes;
    float UtcSeconds;
    double Latitude;        // degrees
    uint32_t TimeStamp;     // ms, of the last decoded sentence
    uint16_t WakeUpState;   // 1 while the sensor asks to be woken up
};

// --- Link parameters -----------------------------------------------------

struct sCNX_PARAM {
    uint16_t BaudRate;
    uint16_t Parity;
    uint16_t StopBits;
    uint16_t Spare;
    int32_t Mode;  // 0 TCP server, 1 TCP client, 2 UDP peer, 3 UDP broadcast
    uint8_t IpAddress[4];
    uint32_t IpPort;
};
static_assert(sizeof(sCNX_PARAM) == 20);
