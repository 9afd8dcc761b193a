// The factory calibration settings of the sensor, as the factory command
// set reads and writes them, and its command ids. Plain data, zeroed and
// copied as a whole; never written raw to a file.
#pragma once

#include <cstdint>

enum E_USINE_COMMAND : int {
    USINE_ID_FIRST = 1024,     // QGF_: the first triple family
    USINE_ID_QGM = 1074,       // QGM_, QGM0-2: matrices
    USINE_ID_QGMB = 1078,
    USINE_ID_QAM = 1079,       // QAM_, QAM0-2
    USINE_ID_QAMB = 1083,
    USINE_ID_CRT = 1084,
    USINE_ID_ALGO = 1085,
    USINE_ID_CSOR = 1086,
    USINE_ID_HARD = 1087,
    USINE_ID_TFOG = 1088,
    USINE_ID_TACC = 1089,
    USINE_ID_TANA = 1090,
    USINE_ID_FREQ = 1091,
    USINE_ID_TFCT = 1092,
    USINE_ID_TMOD = 1093,
    USINE_ID_NET = 1094,
    USINE_ID_MODE = 1095,
    USINE_ID_SERI = 1096,      // serial and system number; wake-up
    USINE_ID_VERS = 1097,
    USINE_ID_WAKE = 1098,
    USINE_ID_MFIN = 1099,
    USINE_ID_PFIN = 1100,
    USINE_ID_RAZ = 1101,
    USINE_ID_IADR = 1102,      // upload: start address
    USINE_ID_PROG = 1103,      // upload: one program data sentence
    USINE_ID_CHEC = 1104,      // upload: block check
    USINE_ID_CHOK = 1105,
    USINE_ID_ININ = 1106,
    USINE_ID_LAST = 1106,
};

constexpr int USINE_TEXT_SIZE = 33;
constexpr int USINE_SERIAL_SIZE = 69;
constexpr int USINE_MAC_SIZE = 34;
constexpr int USINE_NB_TRIPLE = 50;
constexpr int USINE_NB_MATRIX = 8;
constexpr int USINE_WORDS_PER_FRAME = 32;
constexpr int USINE_FRAMES_PER_BLOCK = 10;

struct sUSINE_TRIPLE {
    double X, Y, Z;
    uint8_t Valid;
};

struct sUSINE_MATRIX {
    int32_t Row;     // cursor of the next element asked or sent
    int32_t Column;
    double M[3][3];  // row by row
    uint8_t Complete;
};

struct sUSINE_PAIR_F {
    float A, B;
    uint8_t Valid;
};

struct sUSINE_SETTINGS {
    uint8_t SysActif;
    uint8_t NumberValid;
    uint16_t SystemNumber;               // "WA33" answer; sent back by "SERI"
    char Text0[USINE_TEXT_SIZE];
    char VersionA[USINE_TEXT_SIZE];
    char VersionB[USINE_TEXT_SIZE];
    char TextC[USINE_TEXT_SIZE];
    char TextD[USINE_TEXT_SIZE];
    char SerialNumber[USINE_SERIAL_SIZE];
    uint8_t SerialValid, VersionAValid, VersionBValid, TextCValid, TextDValid;
    // QGF_, QGF0-3, QAF_..., CAF_, QGB_, QAB_, CAB_, QGS_, CSF_, QAT_, CAT_
    sUSINE_TRIPLE Triple[USINE_NB_TRIPLE];
    sUSINE_MATRIX Matrix[USINE_NB_MATRIX];  // QGM_, QGM0-2, QAM_, QAM0-2
    sUSINE_TRIPLE Qgmb, Qamb, Crt;
    sUSINE_PAIR_F Csor;
    struct {
        uint8_t Ip[4];
        char Mac[USINE_MAC_SIZE];
        uint16_t Port1, Port2;
        uint8_t Valid;
    } Net;
    struct {
        int32_t V[3];  // wire values 1, 3, 2
        uint8_t Valid;
    } Hard;
    struct {
        int32_t V[2];  // wire values 2, 1
        uint8_t Valid;
    } Algo;
    sUSINE_PAIR_F Tfog, Tacc, Tana;
    struct {
        float V[3];
        uint8_t Valid;
    } Tfct, Tmod;  // TMOD holds wire values 1, 3, 2
    struct {
        int32_t V[2];
        uint8_t Valid;
    } Freq;
    struct {
        uint8_t Dhcp;
        uint32_t Second;  // a 16-bit value
        uint8_t Valid;
    } Mode;
};
