// Ids of the wizard dialog's controls: plain defines, read by windres (through resource.h), the
// portable page table and the tests.
#pragma once

#define IDC_WELCOME_BACK     1000
#define IDC_WELCOME_NEXT     1001
#define IDC_WELCOME_CANCEL   1002
#define IDC_PROGRESS         1003
#define IDC_INSTALL_BACK     1004
#define IDC_INSTALL_NEXT     1005
#define IDC_INSTALL_CANCEL   1006
#define IDC_FINISH_BACK      1007
#define IDC_FINISH           1008
#define IDC_FINISH_CANCEL    1009
#define IDC_WELCOME_TITLE    1010
#define IDC_WELCOME_TEXT     1011
#define IDC_INSTALL_TITLE    1012
#define IDC_FINISH_TITLE     1013
#define IDC_FINISH_TEXT      1014
#define IDC_WELCOME_LABEL    1015
#define IDC_TITLE            1016
#define IDC_LICENSE_BACK     1017
#define IDC_ACCEPT           1018
#define IDC_LICENSE_CANCEL   1019
#define IDC_LICENSE_EDIT     1020
#define IDC_LICENSE_RICHEDIT 1021
#define IDC_INSTALLING       1022
#define IDC_ANIMATION        1023
