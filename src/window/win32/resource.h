// Resource and control IDs of the main dialog. Read by both the resource compiler and C++.
#pragma once

#define IDD_MAIN 100
// The programs' icon: the only icon, so the first that Explorer finds.
#define IDI_APP 1

#define IDC_OPTBTN0 1000
#define IDC_OPTBTN1 1001
#define IDC_OPTBTN2 1002
#define IDC_OPTBTN3 1003
#define IDC_OPTBTN4 1004
#define IDC_OPTBTN5 1005
#define IDC_OPTBTN6 1006

#define IDC_LBLOPT0 1010
#define IDC_LBLOPT1 1011
#define IDC_LBLOPT2 1012
#define IDC_LBLOPT3 1013
#define IDC_LBLOPT4 1014
#define IDC_LBLOPT5 1015

#define IDC_LBLMSG0 1020
#define IDC_LSTADDIN 1021
#define IDC_CMDADDIN 1022
#define IDC_LBLMSG1 1023
#define IDC_LABEL3 1024
#define IDC_CBXFOLDER 1025
#define IDC_TXTFOLDER 1026
#define IDC_CMDFOLDER 1027
#define IDC_LABEL7 1028
#define IDC_TXTSTEP 1029
#define IDC_LBLKEKKA 1030
#define IDC_CMDNEXT 1031
#define IDC_CMDEND 1032
#define IDC_CMDMANUAL 1033
#define IDC_LABEL2 1034
#define IDC_FRAME1 1035
#define IDC_TEXT1 1036
#define IDC_LABEL1 1037
#define IDC_LBLVERSION 1038
#define IDC_PICTURE1 1039
#define IDC_IMAGE1 1040
#define IDC_IMAGE2 1041
