// Resource ids of the toolkit tests' program.
#pragma once

#define IDD_TEST_LANGUAGE 100
#define IDC_TEST_TITLE 3231
#define IDC_TEST_ENGLISH_ONLY 3232
#define IDC_TEST_FRENCH_ONLY 3233
#define IDC_TEST_COMMENT 3234
#define IDC_TEST_UNTRANSLATED 3235
#define IDS_TEST_LONG 3300
#define IDI_TEST_ICON 200
