// Resource ids of Helmdialogs (Helmdialogs.rc): its dialog templates, their
// controls, and the string table of the application's texts. Static texts
// whose control id is a string id show that string in the chosen language.
#pragma once

// Dialog templates.
#define IDD_DATA_VIEWER 4217
#define IDD_LOG_EVENT 4218

// Controls hosted by class id.
#define IDC_VALUEGRID 4702
#define IDC_JOURNALVIEW 4703

// Labels of the data viewer's rows (and of the graph's plots).
#define IDS_HEADING 3001
#define IDS_ROLL 3002
#define IDS_PITCH 3003
#define IDS_SPEED_NORM 3004
#define IDS_TIME 3005
#define IDS_LATITUDE 3006
#define IDS_LONGITUDE 3007
#define IDS_HEAVE 3008
#define IDS_ALTITUDE 3009
#define IDS_NORTH_SPEED 3010
#define IDS_EAST_SPEED 3011
#define IDS_VERT_SPEED 3012
#define IDS_SURGE 3013
#define IDS_SWAY 3014
#define IDS_ZONE_I 3015
#define IDS_ZONE_C 3016
#define IDS_UTM_NORTH 3017
#define IDS_UTM_EAST 3018
#define IDS_UTM_ALTITUDE 3019
#define IDS_HEADING_STD_DEV 3020
#define IDS_ROLL_STD_DEV 3021
#define IDS_PITCH_STD_DEV 3022
#define IDS_LATITUDE_STD_DEV 3023
#define IDS_LONGITUDE_STD_DEV 3024
#define IDS_ALTITUDE_STD_DEV 3025
#define IDS_NORTH_SPEED_STD_DEV 3026
#define IDS_EAST_SPEED_STD_DEV 3027
#define IDS_VERT_SPEED_STD_DEV 3028
#define IDS_MODE 3029
#define IDS_DEPTH 3035
#define IDS_RANGE 3036
#define IDS_BEACON_NUMBER 3037
#define IDS_DELAY 3038
#define IDS_BOTTOM_SPEED_X 3039
#define IDS_BOTTOM_SPEED_Y 3040
#define IDS_BOTTOM_SPEED_Z 3041
#define IDS_WATER_SPEED_X 3042
#define IDS_WATER_SPEED_Y 3043
#define IDS_WATER_SPEED_Z 3044
#define IDS_SOUND_SPEED 3045
#define IDS_NORTH_CURRENT_STD_DEV 3046
#define IDS_EAST_CURRENT_STD_DEV 3047
#define IDS_NORTH_CURRENT 3048
#define IDS_EAST_CURRENT 3049
#define IDS_CTD_SOUND_SPEED 3050
#define IDS_BIAS_FOG_X 3056
#define IDS_BIAS_FOG_Y 3057
#define IDS_BIAS_FOG_Z 3058
#define IDS_BIAS_ACC_X 3059
#define IDS_BIAS_ACC_Y 3060
#define IDS_BIAS_ACC_Z 3061
#define IDS_BIAS_LOG 3062
#define IDS_TP_CODE 3063
#define IDS_RANGE_TO_BOTTOM 3064
#define IDS_SURGE_SPEED 3065
#define IDS_SWAY_SPEED 3066
#define IDS_HEAVE_SPEED 3067
#define IDS_UTC_TIME 3068
#define IDS_DELTA_HEADING 3069
#define IDS_DELTA_ROLL 3070
#define IDS_DELTA_PITCH 3071
#define IDS_FACTOR 3072

// Event-log texts.
#define IDS_END_DVL_CALIBRATION 3414
#define IDS_END_STATIC_ALIGNMENT 3432

// A value not known yet.
#define IDS_NO_VALUE 3603
