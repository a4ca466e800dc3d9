/* Resource identifiers shared by korvello.rc and the program's code. */
#ifndef KORVELLO_RESOURCE_H
#define KORVELLO_RESOURCE_H

/* Dialog templates */
#define IDD_ABOUT               130
#define IDD_MAIN                131
#define IDD_COPY_SELECT         132
#define IDD_PLAY_TRACK          133

/* Menu and accelerator table of the main window */
#define IDR_MAIN                109

/* Icons and bitmap */
#define IDI_KORVELLO            107
#define IDI_KORVELLO_SMALL      108
#define IDB_PICTURE             134

/* Strings */
#define IDS_APP_TITLE           103
#define IDS_AUTHOR              1008
#define IDS_RIGHTS              1009
#define IDS_VERSION             1010

/* Main window controls */
#define IDC_DRIVE_LIST          1004
#define IDC_TRACK_PROGRESS      1005
#define IDC_TRACK_LABEL         1006
#define IDC_TOTAL_PROGRESS      1007
#define IDC_TOTAL_LABEL         1008

/* Track list of the selection and play-track dialogs */
#define IDC_TRACK_LIST          1003

/* Copy selection dialog buttons (Start is IDOK, Cancel is IDCANCEL) */
#define IDC_SET_ALL_ON          3
#define IDC_SET_ALL_OFF         4

/* About box texts */
#define IDC_ABOUT_VERSION       1007
#define IDC_ABOUT_AUTHOR        1008
#define IDC_ABOUT_RIGHTS        1009

/* Menu commands */
#define IDM_ABOUT               104
#define IDM_EXIT                105
#define IDM_COPY                32773
#define IDM_PLAY                32774
#define IDM_PAUSE_RESUME        32775
#define IDM_PLAY_TRACK          32776
#define IDM_HOME_PAGE           32777

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

#endif
