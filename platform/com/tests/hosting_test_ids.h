// Ids of the hosting tests' dialogs and their items.
#pragma once

#define IDD_GRID_HOST 100
#define IDD_PANEL_HOST 101
#define IDC_BEFORE 10
#define IDC_AFTER 11
#define IDC_GRID 4702
#define IDC_PANEL 4728
