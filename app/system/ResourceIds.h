#pragma once
// Resource ids of the main program (shared with the resource script).

#define IconMain 100
#define IconTray 101

// The options dialog and its controls.
#define DialogOptions 200
#define IdcRestoreAtStart 1000
#define IdcRestoreAtChange 1001
#define IdcAutostart 1002
#define IdcRemoveTraces 1003
#define IdcQueryRestore 1004
#define IdcQuerySave 1005
#define IdcShellExt 1007
#define IdcSaveNotification 1008
#define IdcGroupAutoRestore 1009
#define IdcGroupConfirm 1010
#define IdcGroupAdditional 1011
#define IdcGroupLanguage 1012
#define IdcAbout 1013
#define IdcDirectUndo 1014
#define IdcStartTray 1015
#define IdcGroupIconSize 1016
#define IdcRestoreAtResume 1017
#define IdcQueryRestoreFile 1018
#define IdcAutoSave 1019
#define IdcNoSplash 1020
#define IdcTransparency 1021
#define IdcRestoreAtShellRestart 1022
#define IdcPlaceNewIcons 1023
#define IdcLanguage 2013
#define IdcIconSize 2014
