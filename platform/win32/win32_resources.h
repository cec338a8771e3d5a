// Resource ids shared by yelko.rc and the backend.
#pragma once

#define IDI_YELKO 1
#define IDD_ABOUT 3
// The About box's text lines: the version, then the lines under the icon.
#define IDC_ABOUT_VERSION 100
#define IDC_ABOUT_LINE1 101
#define IDC_ABOUT_LINES 6
