// Resource ids of Setupdesk's own resources (res/Setupdesk.rc).
#pragma once

// Positioning types (item data 0 to 2), the equipment catalogue (item data
// 0 to 4), and the port item texts of the combo boxes.
#define IDS_POSITIONING_TYPE_BASE 100
#define IDS_CATALOGUE_BASE 200
#define IDS_CATALOGUE_COUNT 5
#define IDS_COM_PORT 300
#define IDS_SOCK_PORT 301
#define IDS_NO_PORT 302

// The geometry grid: column headers, row kinds (10029 + kind), mounts,
// column tool tips.
#define IDS_GEO_TITLE 7000
#define IDS_COLUMN_BASE 10020
#define IDS_KIND_BASE 10029
#define IDS_TOWED 10040
#define IDS_HULL_MOUNTED 10041
#define IDS_TIP_BASE 10050

// What the operator is told about the geometry files.
#define IDS_GEO_KEPT_AS_BACKUP 10100
#define IDS_GEO_NOT_KEPT 10101
#define IDS_GEO_NOT_WRITTEN 10102
