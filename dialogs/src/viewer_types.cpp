#include "viewer_types.h"

#include <array>

#include "dialogs/HelmdialogsRes.h"

namespace helm::dialogs {
namespace {

// A row with its index's usual label, and with the limits of its kind.
constexpr ViewerRow row(unsigned short index, unsigned label) { return {index, label, false, 0, 0}; }
constexpr ViewerRow heading(unsigned short index, unsigned label = IDS_HEADING) { return {index, label, true, 360, 0}; }
constexpr ViewerRow attitude(unsigned short index, unsigned label) { return {index, label, true, 180, -180}; }
constexpr ViewerRow latitude() { return {0, IDS_LATITUDE, true, 90, -90}; }
constexpr ViewerRow longitude() { return {1, IDS_LONGITUDE, true, 360, 0}; }

constexpr ViewerRow altitude = row(2, IDS_ALTITUDE);
constexpr ViewerRow speed_norm = row(48, IDS_SPEED_NORM);
constexpr ViewerRow heave = row(17, IDS_HEAVE);
constexpr ViewerRow time = row(28, IDS_TIME);

constexpr ViewerRow type0[] = {heading(11), attitude(12, IDS_ROLL), attitude(13, IDS_PITCH), heave, latitude(),
                               speed_norm};
constexpr ViewerRow type1[] = {heading(11), attitude(12, IDS_ROLL), attitude(13, IDS_PITCH)};
constexpr ViewerRow type2[] = {row(14, IDS_HEADING_STD_DEV), row(15, IDS_ROLL_STD_DEV), row(16, IDS_PITCH_STD_DEV)};
constexpr ViewerRow type3[] = {latitude(), speed_norm};
constexpr ViewerRow type4[] = {latitude(), longitude(), altitude};
constexpr ViewerRow type5[] = {row(6, IDS_ZONE_I), row(7, IDS_ZONE_C), row(8, IDS_UTM_NORTH), row(9, IDS_UTM_EAST),
                               row(10, IDS_UTM_ALTITUDE)};
constexpr ViewerRow type6[] = {{3, IDS_LATITUDE_STD_DEV, true, 90, -90},
                               {4, IDS_LONGITUDE_STD_DEV, true, 360, 0},
                               row(5, IDS_ALTITUDE_STD_DEV)};
constexpr ViewerRow type7[] = {row(42, IDS_NORTH_SPEED), row(43, IDS_EAST_SPEED), row(44, IDS_VERT_SPEED), speed_norm};
constexpr ViewerRow type8[] = {row(45, IDS_NORTH_SPEED_STD_DEV), row(46, IDS_EAST_SPEED_STD_DEV),
                               row(47, IDS_VERT_SPEED_STD_DEV)};
constexpr ViewerRow type9[] = {heave, row(18, IDS_SURGE), row(19, IDS_SWAY)};
constexpr ViewerRow type10[] = {row(20, IDS_HEAVE_SPEED), row(21, IDS_SURGE_SPEED), row(22, IDS_SWAY_SPEED)};
constexpr ViewerRow type11[] = {latitude(), longitude(), row(11, IDS_HEADING), row(12, IDS_ROLL), row(13, IDS_PITCH),
                                heave, speed_norm};
constexpr ViewerRow type12[] = {row(23, IDS_NORTH_CURRENT), row(24, IDS_EAST_CURRENT)};
constexpr ViewerRow type13[] = {row(25, IDS_NORTH_CURRENT_STD_DEV), row(26, IDS_EAST_CURRENT_STD_DEV)};
constexpr ViewerRow type14[] = {time};
constexpr ViewerRow type15[] = {latitude(), longitude(), altitude, row(27, IDS_MODE), time};
constexpr ViewerRow type17[] = {row(28, IDS_UTC_TIME)};
constexpr ViewerRow type18[] = {row(34, IDS_BOTTOM_SPEED_X), row(35, IDS_BOTTOM_SPEED_Y), row(36, IDS_BOTTOM_SPEED_Z),
                                row(37, IDS_WATER_SPEED_X),  row(38, IDS_WATER_SPEED_Y),  row(39, IDS_WATER_SPEED_Z),
                                row(40, IDS_SOUND_SPEED),    row(2, IDS_RANGE_TO_BOTTOM), time};
constexpr ViewerRow type19[] = {speed_norm, time};
constexpr ViewerRow type20[] = {row(29, IDS_DEPTH), time};
constexpr ViewerRow type21[] = {row(31, IDS_BEACON_NUMBER), row(32, IDS_TP_CODE), latitude(), longitude(), altitude,
                                row(33, IDS_DELAY),         time};
constexpr ViewerRow type22[] = {row(31, IDS_BEACON_NUMBER), latitude(), longitude(), altitude, row(30, IDS_RANGE), time};
constexpr ViewerRow type23[] = {row(41, IDS_CTD_SOUND_SPEED)};
constexpr ViewerRow type24[] = {row(49, IDS_BIAS_FOG_X), row(50, IDS_BIAS_FOG_Y), row(51, IDS_BIAS_FOG_Z),
                                row(52, IDS_BIAS_ACC_X), row(53, IDS_BIAS_ACC_Y), row(54, IDS_BIAS_ACC_Z),
                                row(55, IDS_BIAS_LOG)};
constexpr ViewerRow type26[] = {row(11, IDS_HEADING), row(12, IDS_ROLL), row(13, IDS_PITCH)};
constexpr ViewerRow type27[] = {row(11, IDS_DELTA_HEADING), row(12, IDS_DELTA_ROLL), row(13, IDS_DELTA_PITCH),
                                row(56, IDS_FACTOR)};
constexpr ViewerRow type28[] = {row(11, IDS_DELTA_HEADING), row(12, IDS_DELTA_ROLL), row(13, IDS_DELTA_PITCH),
                                row(0, IDS_LATITUDE)};

// By type; 15 and 16 share their rows, 25 has none.
constexpr std::array<std::span<const ViewerRow>, 29> types = {
    type0,  type1,  type2,  type3,  type4,  type5,  type6,  type7,  type8,  type9,
    type10, type11, type12, type13, type14, type15, type15, type17, type18, type19,
    type20, type21, type22, type23, type24, {},     type26, type27, type28,
};

}  // namespace

ViewerType viewer_type(unsigned short type)
{
    if (type >= types.size())
        return {{}, 20};
    return {types[type], static_cast<unsigned short>(type == 10 ? 15 : 20)};
}

}  // namespace helm::dialogs
