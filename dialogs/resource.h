// Resource ids of the module's dialogs. Read by the resource compiler and by C++.
#pragma once

#define IDD_HOLE_DIAMETER 12000
#define IDD_MASTER_SETTING 11002

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// "Hole Diameter": the rule list dialog.
#define IDC_RULE_LIST 12018
#define IDC_ALL_ON 12022
#define IDC_ALL_OFF 12023
#define IDC_REVERSE 12024
#define IDC_ADD 12000
#define IDC_DELETE 12001
#define IDC_MODIFY 12002
#define IDC_PREVIEW_BEFORE_REWRITE 12025
#define IDC_UNDO 12026

// "Master Setting": the rule editor.
#define IDC_CODE_FROM 12001
#define IDC_CODE_TO 12002
#define IDC_DIAMETER_FROM 12003
#define IDC_DIAMETER_MODIFY 12004
#define IDC_ENABLED 12006
#define IDC_DIAMETER_TO 12011
