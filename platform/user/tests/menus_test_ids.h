// Resource ids shared by menus_test.rc and the menu tests.
#pragma once

#define IDR_GAUGE_MENU 202
#define IDR_MAIN_ACCELERATORS 7
