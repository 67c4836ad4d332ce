// Resource ids of "미리 보기", the rewrite's preview. Read by the resource compiler and by C++.
#pragma once

#define IDD_REWRITE_PREVIEW 12100
#define IDC_PREVIEW_LIST 12101
#define IDC_PREVIEW_SUMMARY 12102
