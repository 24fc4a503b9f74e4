#pragma once
// Resource, control and command ids. They are data shared with the language files: dialog and
// control texts are looked up in section Resource under the decimal id.

namespace orvik::ids {

// Document template (menu, accelerators, toolbar, icon) and the status-bar sizing string.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDS_STATUS_PORT_SIZE = 129; // "COMX"

// Dialogs.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_FORMVIEW = 101;
inline constexpr int IDD_PORT = 130;
inline constexpr int IDD_LANGUAGE = 131;
inline constexpr int IDD_TRANSFER = 132;

// Common buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Port dialog: button 1000 + n stands for port n.
inline constexpr int IDC_COM_FIRST = 1001; // COM1
inline constexpr int IDC_COM_LAST = 1008;  // COM8
inline constexpr int IDC_PORT_GROUP = 1011;
inline constexpr int IDC_SEARCH_COM = 1012;

// Transfer dialog.
inline constexpr int IDC_TRANSFER_PROGRESS = 1009;
inline constexpr int IDC_TRANSFER_MESSAGE = 1010;

// Language dialog.
inline constexpr int IDC_LANGUAGE_LABEL = 1013;
inline constexpr int IDC_LANGUAGE_LIST = 1014;

// About box.
inline constexpr int IDC_ABOUT_VERSION = 1015;
inline constexpr int IDC_ABOUT_TEXT = 1050;

// Form view 101.
inline constexpr int IDC_GRID = 1016;
inline constexpr int IDC_FREQ_EDIT = 1017;
inline constexpr int IDC_OPTION_LIST = 1018;
inline constexpr int IDC_TONE_LIST = 1019;
inline constexpr int IDC_MODEL_GROUP = 1020;
inline constexpr int IDC_BAND_LABEL = 1021;
inline constexpr int IDC_BAND_LIST = 1022;
inline constexpr int IDC_BEEP = 1023;
inline constexpr int IDC_BATTERY_SAVE = 1024;
inline constexpr int IDC_VOICE_LABEL = 1025;
inline constexpr int IDC_VOICE_LIST = 1026;
inline constexpr int IDC_VOX_FUNCTION = 1027;
inline constexpr int IDC_VOICE_FUNCTION = 1028;
inline constexpr int IDC_SCAN_FUNCTION = 1029;
inline constexpr int IDC_FM_FUNCTION = 1030;
inline constexpr int IDC_SQUELCH_LABEL = 1031;
inline constexpr int IDC_SQUELCH_LIST = 1032;
inline constexpr int IDC_SIDEKEY1_LABEL = 1033;
inline constexpr int IDC_SIDEKEY1_LIST = 1034;
inline constexpr int IDC_TOT_LABEL = 1035;
inline constexpr int IDC_TOT_LIST = 1036;
inline constexpr int IDC_DTMF_LABEL = 1039;
inline constexpr int IDC_DTMF_EDIT = 1040;
inline constexpr int IDC_VOXLEVEL_LABEL = 1041;
inline constexpr int IDC_VOXLEVEL_LIST = 1042;
inline constexpr int IDC_SIDEKEY2_LABEL = 1043;
inline constexpr int IDC_SIDEKEY2_LIST = 1044;
inline constexpr int IDC_FMFREQ_LABEL = 1045;
inline constexpr int IDC_FMFREQ_LIST = 1046;
inline constexpr int IDC_SCANMODE_LABEL = 1047;
inline constexpr int IDC_SCANMODE_LIST = 1048;

// Transfer dialog check boxes and the differences table.
inline constexpr int IDC_VERIFY_CHECK = 1051;
inline constexpr int IDC_BACKUP_CHECK = 1052;
inline constexpr int IDC_DIFF_TABLE = 1053;

// Commands.
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PRINT_SETUP = 57606;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_FILE_PRINT_DIRECT = 57608;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_FILE_MRU_FIRST = 57616;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_EDIT_REDO = 57644;
inline constexpr int ID_EDIT_CLEAR = 57632; // Edit > Delete
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_PROGRAM_READ = 32771;
inline constexpr int ID_PROGRAM_WRITE = 32772;
inline constexpr int ID_SETTING_PORT = 32773;
inline constexpr int ID_SETTING_LANGUAGE = 32774;
inline constexpr int ID_HELP_HELP = 32775;
inline constexpr int ID_FILE_IMPORT_CSV = 32780;
inline constexpr int ID_FILE_EXPORT_CSV = 32781;
// Help > Check the Connection.
inline constexpr int ID_HELP_CHECK = 32790;
// Help > Save a Problem Report.
inline constexpr int ID_HELP_REPORT = 32795;
// File > Compare with... and File > Open Backup...
inline constexpr int ID_FILE_COMPARE = 32796;
inline constexpr int ID_FILE_OPEN_BACKUP = 32797;
// Edit > Insert Empty Channel, Move Up, Move Down.
inline constexpr int ID_EDIT_INSERT_CHANNEL = 32800;
inline constexpr int ID_EDIT_MOVE_UP = 32801;
inline constexpr int ID_EDIT_MOVE_DOWN = 32802;
// Edit > Select All, Edit Selected Channels..., Sort Channels by (four keys), Fill
// Frequencies..., Find..., Find Next; View > All Settings.
inline constexpr int ID_EDIT_SELECT_ALL = 32810;
inline constexpr int ID_EDIT_EDIT_CHANNELS = 32811;
inline constexpr int ID_EDIT_SORT_RX = 32812;
inline constexpr int ID_EDIT_SORT_TX = 32813;
inline constexpr int ID_EDIT_SORT_RX_TONE = 32814;
inline constexpr int ID_EDIT_SORT_TX_TONE = 32815;
inline constexpr int ID_EDIT_FILL = 32816;
inline constexpr int ID_EDIT_FIND = 32817;
inline constexpr int ID_EDIT_FIND_NEXT = 32818;
inline constexpr int ID_VIEW_ALL_SETTINGS = 32819;
// File > New from Plan..., Edit > Insert from Plan..., View > Check Channels.
inline constexpr int ID_FILE_NEW_PLAN = 32820;
inline constexpr int ID_EDIT_INSERT_PLAN = 32821;
inline constexpr int ID_VIEW_CHECK = 32822;
// Program > Write to Several Radios...
inline constexpr int ID_PROGRAM_WRITE_FLEET = 32798;

inline constexpr int RecentFileCount = 4;

} // namespace orvik::ids
