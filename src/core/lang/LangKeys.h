#pragma once
// Sections and keys of the language files (*.lang). Every text the program shows is looked up
// under one of these names; the shipped language files define all of them.

#include <array>

namespace orvik::lang {

// Sections.
inline constexpr const char* FaceSection = "Face";
inline constexpr const char* StringSection = "String";
inline constexpr const char* ResourceSection = "Resource";
inline constexpr const char* VoiceAnnunciationSection = "VoiceAnnunciation";
inline constexpr const char* MonitorKeySection = "MonitorKey";
inline constexpr const char* ScanModeSection = "ScanMode";
inline constexpr const char* ChTextSection = "ChText";

// Face/disp: the language's name in the Language dialog.
inline constexpr const char* DispKey = "disp";

// ChText keys, formatted with the column 0 to 9.
inline constexpr const char* ChTextKeyFormat = "IDS_ChText%d";
inline constexpr int ChTextColumns = 10;

// Tool tips, formatted with the toolbar command id.
inline constexpr const char* TipKeyFormat = "IDS_TIP_%d";
// Toolbar commands that have a tool tip, left to right.
inline constexpr std::array<int, 7> ToolbarCommands = {57600, 57601, 57603, 32771,
                                                       32772, 57607, 32775};
// Tool tips are cut to this many characters.
inline constexpr int TipMaxChars = 19;

// Messages and captions.
inline constexpr const char* IDS_WINDOWNAME = "IDS_WINDOWNAME";
inline constexpr const char* IDS_PROMPT = "IDS_PROMPT";
inline constexpr const char* IDS_WARN_CLEAR = "IDS_WARN_CLEAR";
inline constexpr const char* IDS_WARN_LOAD = "IDS_WARN_LOAD";
inline constexpr const char* IDS_WARN_SAVE = "IDS_WARN_SAVE";
inline constexpr const char* IDS_OFF = "IDS_OFF";
inline constexpr const char* IDS_READDATA = "IDS_READDATA";
inline constexpr const char* IDS_WRITEDATA = "IDS_WRITEDATA";
inline constexpr const char* IDS_PROMPT_READ = "IDS_PROMPT_READ";
inline constexpr const char* IDS_PROMPT_WRITE = "IDS_PROMPT_WRITE";
inline constexpr const char* IDS_PROMPT_READFAIL = "IDS_PROMPT_READFAIL";
inline constexpr const char* IDS_PROMPT_WRITEFAIL = "IDS_PROMPT_WRITEFAIL";
inline constexpr const char* IDS_SEARCHCOMPORT = "IDS_SEARCHCOMPORT";
inline constexpr const char* IDS_ERROR = "IDS_ERROR";
inline constexpr const char* IDS_ERROR_PORTCONN = "IDS_ERROR_PORTCONN";
inline constexpr const char* IDS_ERROR_TYPE = "IDS_ERROR_TYPE";
inline constexpr const char* IDS_CONFIRM_TYPE = "IDS_CONFIRM_TYPE";
inline constexpr const char* IDS_CONFIRM = "IDS_CONFIRM";
inline constexpr const char* IDS_CONFIRM_FREQ = "IDS_CONFIRM_FREQ";
inline constexpr const char* IDS_YES = "IDS_YES";
inline constexpr const char* IDS_NO = "IDS_NO";
inline constexpr const char* IDS_HIGH = "IDS_HIGH";
inline constexpr const char* IDS_LOW = "IDS_LOW";
inline constexpr const char* IDS_WIDE = "IDS_WIDE";
inline constexpr const char* IDS_NARROW = "IDS_NARROW";

// Messages of the window program on this platform: unsaved changes, file errors, the untitled
// document, the file dialog filter and the reasons a serial device cannot be opened.
inline constexpr const char* IDS_ASK_SAVE = "IDS_ASK_SAVE"; // followed by the file name and "?"
inline constexpr const char* IDS_ERROR_FILE_READ = "IDS_ERROR_FILE_READ";
inline constexpr const char* IDS_ERROR_FILE_WRITE = "IDS_ERROR_FILE_WRITE";
inline constexpr const char* IDS_UNTITLED = "IDS_UNTITLED";
inline constexpr const char* IDS_FILTER_ALL = "IDS_FILTER_ALL";
inline constexpr const char* IDS_CHANNEL_TABLE = "IDS_CHANNEL_TABLE";     // its accessible name
inline constexpr const char* IDS_TRANSFER_HINT = "IDS_TRANSFER_HINT";     // before the first OK
inline constexpr const char* IDS_ERROR_HELP_OPEN = "IDS_ERROR_HELP_OPEN"; // then the path
inline constexpr const char* IDS_WARN_SETTINGS_SAVE = "IDS_WARN_SETTINGS_SAVE"; // then the path
inline constexpr const char* IDS_ABOUT_VERSION = "IDS_ABOUT_VERSION";           // %s: the version
inline constexpr const char* IDS_ERROR_PORT_DENIED = "IDS_ERROR_PORT_DENIED";
inline constexpr const char* IDS_ERROR_PORT_BUSY = "IDS_ERROR_PORT_BUSY";
inline constexpr const char* IDS_ERROR_PORT_MISSING = "IDS_ERROR_PORT_MISSING";
inline constexpr const char* IDS_ERROR_PRINT = "IDS_ERROR_PRINT"; // followed by the printer

// Transfer messages: a port without a device, a silent port (%s: the device), a search that
// found nothing, the group hint for a refused device (%s: the owning group), a lost line, an
// identification that did not come, a write stopped part-way (%d: blocks in the radio).
inline constexpr const char* IDS_ERROR_PORT_UNMAPPED = "IDS_ERROR_PORT_UNMAPPED";
inline constexpr const char* IDS_ERROR_PORT_SILENT = "IDS_ERROR_PORT_SILENT";
inline constexpr const char* IDS_ERROR_SEARCH_NONE = "IDS_ERROR_SEARCH_NONE";
inline constexpr const char* IDS_ERROR_PORT_GROUP = "IDS_ERROR_PORT_GROUP";
inline constexpr const char* IDS_ERROR_LINK_LOST = "IDS_ERROR_LINK_LOST";
inline constexpr const char* IDS_ERROR_IDENT_TIMEOUT = "IDS_ERROR_IDENT_TIMEOUT";
inline constexpr const char* IDS_WRITE_PARTIAL = "IDS_WRITE_PARTIAL";
// Followed by the path of the file concerned.
inline constexpr const char* IDS_WARN_LANG_FILE = "IDS_WARN_LANG_FILE";
inline constexpr const char* IDS_WARN_OWNER_CHANGED = "IDS_WARN_OWNER_CHANGED";

// What a commit adjusted (%1 the text given, %2 the text stored, %3 the band), and a list of
// them shortened ("%1 (and %2 more)").
inline constexpr const char* IDS_ADJ_NOT_FREQ = "IDS_ADJ_NOT_FREQ";
inline constexpr const char* IDS_ADJ_RASTER = "IDS_ADJ_RASTER";
inline constexpr const char* IDS_ADJ_BELOW = "IDS_ADJ_BELOW";
inline constexpr const char* IDS_ADJ_ABOVE = "IDS_ADJ_ABOVE";
inline constexpr const char* IDS_ADJ_TONE_UNKNOWN = "IDS_ADJ_TONE_UNKNOWN";
inline constexpr const char* IDS_ADJ_TONE_NOT_LISTED = "IDS_ADJ_TONE_NOT_LISTED";
inline constexpr const char* IDS_ADJ_TONE_CHANGED = "IDS_ADJ_TONE_CHANGED";
inline constexpr const char* IDS_ADJ_MORE = "IDS_ADJ_MORE";
// Undo and redo (%1 the step), the names of the steps, the Edit menu and its questions.
inline constexpr const char* IDS_UNDO_STEP = "IDS_UNDO_STEP";
inline constexpr const char* IDS_REDO_STEP = "IDS_REDO_STEP";
inline constexpr const char* IDS_STEP_CELL = "IDS_STEP_CELL";
inline constexpr const char* IDS_STEP_SETTING = "IDS_STEP_SETTING";
inline constexpr const char* IDS_STEP_BAND = "IDS_STEP_BAND";
inline constexpr const char* IDS_STEP_NEW = "IDS_STEP_NEW";
inline constexpr const char* IDS_STEP_READ = "IDS_STEP_READ";
inline constexpr const char* IDS_STEP_IMPORT = "IDS_STEP_IMPORT";
inline constexpr const char* IDS_STEP_PASTE = "IDS_STEP_PASTE";
inline constexpr const char* IDS_STEP_CUT = "IDS_STEP_CUT";
inline constexpr const char* IDS_STEP_DELETE = "IDS_STEP_DELETE";
inline constexpr const char* IDS_STEP_INSERT = "IDS_STEP_INSERT";
inline constexpr const char* IDS_STEP_MOVE = "IDS_STEP_MOVE";
inline constexpr const char* IDS_CONFIRM_INSERT = "IDS_CONFIRM_INSERT";
inline constexpr const char* IDS_PASTE_NOTHING = "IDS_PASTE_NOTHING";
inline constexpr const char* Menu_Edit = "Menu_Edit";
inline constexpr const char* Menu_Edit_Undo = "Menu_Edit_Undo";
inline constexpr const char* Menu_Edit_Redo = "Menu_Edit_Redo";
inline constexpr const char* Menu_Edit_Cut = "Menu_Edit_Cut";
inline constexpr const char* Menu_Edit_Copy = "Menu_Edit_Copy";
inline constexpr const char* Menu_Edit_Paste = "Menu_Edit_Paste";
inline constexpr const char* Menu_Edit_Delete = "Menu_Edit_Delete";
inline constexpr const char* Menu_Edit_Insert = "Menu_Edit_Insert";
inline constexpr const char* Menu_Edit_Move_Up = "Menu_Edit_Move_Up";
inline constexpr const char* Menu_Edit_Move_Down = "Menu_Edit_Move_Down";
// The channel table as a table: the window title, bulk edit, sort, fill, find, the View menu
// and the status messages.
inline constexpr const char* IDS_STEP_EDIT_CHANNELS = "IDS_STEP_EDIT_CHANNELS";
inline constexpr const char* IDS_STEP_SORT = "IDS_STEP_SORT";
inline constexpr const char* IDS_STEP_FILL = "IDS_STEP_FILL";
inline constexpr const char* IDS_EDIT_CHANNELS_TITLE = "IDS_EDIT_CHANNELS_TITLE";
inline constexpr const char* IDS_EDIT_CHANNELS_NONE = "IDS_EDIT_CHANNELS_NONE";
inline constexpr const char* IDS_CHANNELS_CHANGED = "IDS_CHANNELS_CHANGED";
inline constexpr const char* IDS_FILL_TITLE = "IDS_FILL_TITLE";
inline constexpr const char* IDS_FILL_START = "IDS_FILL_START";
inline constexpr const char* IDS_FILL_STEP = "IDS_FILL_STEP";
inline constexpr const char* IDS_FILL_OFFSET = "IDS_FILL_OFFSET";
inline constexpr const char* IDS_FILL_BAD = "IDS_FILL_BAD";
inline constexpr const char* IDS_FIND_TITLE = "IDS_FIND_TITLE";
inline constexpr const char* IDS_FIND_PROMPT = "IDS_FIND_PROMPT";
inline constexpr const char* IDS_FIND_NOT_FOUND = "IDS_FIND_NOT_FOUND";
inline constexpr const char* IDS_STATUS_READ = "IDS_STATUS_READ";
inline constexpr const char* IDS_STATUS_READ_BACKUP = "IDS_STATUS_READ_BACKUP";
inline constexpr const char* IDS_STATUS_SAVED = "IDS_STATUS_SAVED";
inline constexpr const char* IDS_STATUS_EXPORTED = "IDS_STATUS_EXPORTED";
inline constexpr const char* IDS_STATUS_PASTED = "IDS_STATUS_PASTED";
inline constexpr const char* Menu_Edit_Select_All = "Menu_Edit_Select_All";
inline constexpr const char* Menu_Edit_Edit_Channels = "Menu_Edit_Edit_Channels";
inline constexpr const char* Menu_Edit_Sort = "Menu_Edit_Sort";
inline constexpr const char* Menu_Edit_Sort_Rx = "Menu_Edit_Sort_Rx";
inline constexpr const char* Menu_Edit_Sort_Tx = "Menu_Edit_Sort_Tx";
inline constexpr const char* Menu_Edit_Sort_Rx_Tone = "Menu_Edit_Sort_Rx_Tone";
inline constexpr const char* Menu_Edit_Sort_Tx_Tone = "Menu_Edit_Sort_Tx_Tone";
inline constexpr const char* Menu_Edit_Fill = "Menu_Edit_Fill";
inline constexpr const char* Menu_Edit_Find = "Menu_Edit_Find";
inline constexpr const char* Menu_Edit_Find_Next = "Menu_Edit_Find_Next";
inline constexpr const char* Menu_View = "Menu_View";
inline constexpr const char* Menu_View_All_Settings = "Menu_View_All_Settings";
// The command line's wording of messages that name a button of the window.
inline constexpr const char* IDS_CLI_READFAIL = "IDS_CLI_READFAIL";
inline constexpr const char* IDS_CLI_WRITEFAIL = "IDS_CLI_WRITEFAIL";

// Channel CSV export and import: the place of a report line (%1 the line, %2 the channel), the
// notes (%1 the value from the file, %2 what was stored), the summary and the window's texts.
inline constexpr const char* IDS_CSV_AT_LINE = "IDS_CSV_AT_LINE";
inline constexpr const char* IDS_CSV_AT_CHANNEL = "IDS_CSV_AT_CHANNEL";
inline constexpr const char* IDS_CSV_NO_HEADER = "IDS_CSV_NO_HEADER";
inline constexpr const char* IDS_CSV_UNCLOSED = "IDS_CSV_UNCLOSED";
inline constexpr const char* IDS_CSV_SHORT_ROW = "IDS_CSV_SHORT_ROW";
inline constexpr const char* IDS_CSV_BAD_VALUE = "IDS_CSV_BAD_VALUE";
inline constexpr const char* IDS_CSV_LOCATION = "IDS_CSV_LOCATION";
inline constexpr const char* IDS_CSV_NO_CHANNEL = "IDS_CSV_NO_CHANNEL";
inline constexpr const char* IDS_CSV_DUPLICATE = "IDS_CSV_DUPLICATE";
inline constexpr const char* IDS_CSV_RX_RASTER = "IDS_CSV_RX_RASTER";
inline constexpr const char* IDS_CSV_RX_CLAMPED = "IDS_CSV_RX_CLAMPED";
inline constexpr const char* IDS_CSV_TX_RASTER = "IDS_CSV_TX_RASTER";
inline constexpr const char* IDS_CSV_TX_CLAMPED = "IDS_CSV_TX_CLAMPED";
inline constexpr const char* IDS_CSV_CTCSS = "IDS_CSV_CTCSS";
inline constexpr const char* IDS_CSV_DCS = "IDS_CSV_DCS";
inline constexpr const char* IDS_CSV_TONE_MODE = "IDS_CSV_TONE_MODE";
inline constexpr const char* IDS_CSV_MODE = "IDS_CSV_MODE";
inline constexpr const char* IDS_CSV_POWER = "IDS_CSV_POWER";
inline constexpr const char* IDS_CSV_SKIP = "IDS_CSV_SKIP";
inline constexpr const char* IDS_CSV_NAME = "IDS_CSV_NAME";
inline constexpr const char* IDS_CSV_COMMENT = "IDS_CSV_COMMENT";
inline constexpr const char* IDS_CSV_EMPTY_MEMORY = "IDS_CSV_EMPTY_MEMORY";
inline constexpr const char* IDS_CSV_SUMMARY = "IDS_CSV_SUMMARY";
inline constexpr const char* IDS_CSV_CHANGED = "IDS_CSV_CHANGED";
inline constexpr const char* IDS_CSV_UNCHANGED = "IDS_CSV_UNCHANGED";
inline constexpr const char* IDS_CSV_CLEARED = "IDS_CSV_CLEARED";
inline constexpr const char* IDS_CSV_SAVED = "IDS_CSV_SAVED";
inline constexpr const char* IDS_CSV_DRY_RUN = "IDS_CSV_DRY_RUN";
inline constexpr const char* IDS_CSV_FILTER = "IDS_CSV_FILTER";
inline constexpr const char* IDS_CSV_EXPORT_TITLE = "IDS_CSV_EXPORT_TITLE";
inline constexpr const char* IDS_CSV_IMPORT_TITLE = "IDS_CSV_IMPORT_TITLE";
inline constexpr const char* IDS_CSV_STANDARD_ONLY = "IDS_CSV_STANDARD_ONLY";
inline constexpr const char* IDS_CSV_RENUMBER = "IDS_CSV_RENUMBER";
inline constexpr const char* IDS_CSV_REPLACE_ALL = "IDS_CSV_REPLACE_ALL";
inline constexpr const char* IDS_CSV_REPORT = "IDS_CSV_REPORT";
inline constexpr const char* IDS_CSV_NO_NOTES = "IDS_CSV_NO_NOTES";
inline constexpr const char* Menu_File_Export_Csv = "Menu_File_Export_Csv";
inline constexpr const char* Menu_File_Import_Csv = "Menu_File_Import_Csv";
// Compare, backups and write-then-verify: an empty field, a channel (%d) and a byte (%s: its
// offset) in a difference, the differences window (%s: the file compared with, %d: the count),
// the phases of a transfer, the verify outcome, the transfer dialog's check boxes, a backup that
// could not be stored (%s: the folder, then the reason), a short data file (%d: its bytes).
inline constexpr const char* IDS_DIFF_EMPTY = "IDS_DIFF_EMPTY";
inline constexpr const char* IDS_DIFF_CHANNEL = "IDS_DIFF_CHANNEL";
inline constexpr const char* IDS_DIFF_BYTE = "IDS_DIFF_BYTE";
inline constexpr const char* IDS_DIFF_TITLE = "IDS_DIFF_TITLE";
inline constexpr const char* IDS_DIFF_WHERE = "IDS_DIFF_WHERE";
inline constexpr const char* IDS_DIFF_THIS = "IDS_DIFF_THIS";
inline constexpr const char* IDS_DIFF_THAT = "IDS_DIFF_THAT";
inline constexpr const char* IDS_DIFF_RADIO = "IDS_DIFF_RADIO";
inline constexpr const char* IDS_DIFF_EQUAL = "IDS_DIFF_EQUAL";
inline constexpr const char* IDS_DIFF_COUNT = "IDS_DIFF_COUNT";
inline constexpr const char* IDS_PROMPT_BACKUP = "IDS_PROMPT_BACKUP";
inline constexpr const char* IDS_PROMPT_VERIFY = "IDS_PROMPT_VERIFY";
inline constexpr const char* IDS_VERIFY_OK = "IDS_VERIFY_OK";
inline constexpr const char* IDS_VERIFY_MISMATCH = "IDS_VERIFY_MISMATCH";
inline constexpr const char* IDS_VERIFY_RETRY = "IDS_VERIFY_RETRY";
inline constexpr const char* IDS_VERIFY_FAILED = "IDS_VERIFY_FAILED";
inline constexpr const char* IDS_VERIFY_CHECK = "IDS_VERIFY_CHECK";
inline constexpr const char* IDS_BACKUP_CHECK = "IDS_BACKUP_CHECK";
inline constexpr const char* IDS_BACKUP_FAILED = "IDS_BACKUP_FAILED";
inline constexpr const char* IDS_BACKUP_NOT_WRITTEN = "IDS_BACKUP_NOT_WRITTEN";
inline constexpr const char* IDS_WARN_SHORT_FILE = "IDS_WARN_SHORT_FILE";
inline constexpr const char* IDS_ASK_SHORT_WRITE = "IDS_ASK_SHORT_WRITE";
// Writing several radios at once: the dialog, the command line's lines and summary, the report.
inline constexpr const char* Menu_Program_WriteFleet = "Menu_Program_WriteFleet";
inline constexpr const char* IDS_FLEET_TITLE = "IDS_FLEET_TITLE";
inline constexpr const char* IDS_FLEET_WAITING = "IDS_FLEET_WAITING";
inline constexpr const char* IDS_FLEET_UNPLUG = "IDS_FLEET_UNPLUG";
inline constexpr const char* IDS_FLEET_DONE = "IDS_FLEET_DONE";
inline constexpr const char* IDS_FLEET_VERIFIED = "IDS_FLEET_VERIFIED";
inline constexpr const char* IDS_FLEET_NOT_VERIFIED = "IDS_FLEET_NOT_VERIFIED";
inline constexpr const char* IDS_FLEET_FAILED = "IDS_FLEET_FAILED";
inline constexpr const char* IDS_FLEET_CANCELLED = "IDS_FLEET_CANCELLED";
inline constexpr const char* IDS_FLEET_STEP_CONNECT = "IDS_FLEET_STEP_CONNECT";
inline constexpr const char* IDS_FLEET_STEP_IDENTIFY = "IDS_FLEET_STEP_IDENTIFY";
inline constexpr const char* IDS_FLEET_STEP_WRITE = "IDS_FLEET_STEP_WRITE";
inline constexpr const char* IDS_FLEET_STEP_VERIFY = "IDS_FLEET_STEP_VERIFY";
inline constexpr const char* IDS_FLEET_STEP_BACKUP = "IDS_FLEET_STEP_BACKUP";
inline constexpr const char* IDS_FLEET_COUNT = "IDS_FLEET_COUNT";
inline constexpr const char* IDS_FLEET_NOT_WRITTEN = "IDS_FLEET_NOT_WRITTEN";
inline constexpr const char* IDS_FLEET_NO_PORTS = "IDS_FLEET_NO_PORTS";
inline constexpr const char* IDS_FLEET_HEAD_PORT = "IDS_FLEET_HEAD_PORT";
inline constexpr const char* IDS_FLEET_HEAD_DEVICE = "IDS_FLEET_HEAD_DEVICE";
inline constexpr const char* IDS_FLEET_HEAD_CABLE = "IDS_FLEET_HEAD_CABLE";
inline constexpr const char* IDS_FLEET_HEAD_RADIO = "IDS_FLEET_HEAD_RADIO";
inline constexpr const char* IDS_FLEET_HEAD_PROGRESS = "IDS_FLEET_HEAD_PROGRESS";
inline constexpr const char* IDS_FLEET_HEAD_RESULT = "IDS_FLEET_HEAD_RESULT";
inline constexpr const char* IDS_FLEET_HEAD_TIME = "IDS_FLEET_HEAD_TIME";
inline constexpr const char* IDS_FLEET_HEAD_BACKUP = "IDS_FLEET_HEAD_BACKUP";
inline constexpr const char* IDS_FLEET_REPEAT = "IDS_FLEET_REPEAT";
inline constexpr const char* IDS_FLEET_START = "IDS_FLEET_START";
inline constexpr const char* IDS_FLEET_STOP = "IDS_FLEET_STOP";
inline constexpr const char* IDS_FLEET_SAVE_REPORT = "IDS_FLEET_SAVE_REPORT";
inline constexpr const char* IDS_FLEET_CLOSE = "IDS_FLEET_CLOSE";
inline constexpr const char* IDS_FLEET_REPORT_FILTER = "IDS_FLEET_REPORT_FILTER";
inline constexpr const char* IDS_FLEET_DIFFERENCES = "IDS_FLEET_DIFFERENCES";
inline constexpr const char* IDS_FLEET_WAITING_ALL = "IDS_FLEET_WAITING_ALL";
inline constexpr const char* Menu_File_Compare = "Menu_File_Compare";
inline constexpr const char* Menu_File_Open_Backup = "Menu_File_Open_Backup";
// Backups and files changed on disk: a keep= that was not taken (%1 the value, %2 the default),
// the Open Backup list (%1 its folder), a backup opened as a copy (%1 its time, %2 its kind; or
// %1 its file name), a file another program changed (%1 its name), the reload step.
inline constexpr const char* IDS_BACKUP_KEEP_INVALID = "IDS_BACKUP_KEEP_INVALID";
inline constexpr const char* IDS_BACKUP_LIST_TITLE = "IDS_BACKUP_LIST_TITLE";
inline constexpr const char* IDS_BACKUP_LIST_FOLDER = "IDS_BACKUP_LIST_FOLDER";
inline constexpr const char* IDS_BACKUP_LIST_EMPTY = "IDS_BACKUP_LIST_EMPTY";
inline constexpr const char* IDS_BACKUP_HEAD_TIME = "IDS_BACKUP_HEAD_TIME";
inline constexpr const char* IDS_BACKUP_HEAD_KIND = "IDS_BACKUP_HEAD_KIND";
inline constexpr const char* IDS_BACKUP_HEAD_BAND = "IDS_BACKUP_HEAD_BAND";
inline constexpr const char* IDS_BACKUP_HEAD_CHANNELS = "IDS_BACKUP_HEAD_CHANNELS";
inline constexpr const char* IDS_BACKUP_KIND_READ = "IDS_BACKUP_KIND_READ";
inline constexpr const char* IDS_BACKUP_KIND_BEFORE_WRITE = "IDS_BACKUP_KIND_BEFORE_WRITE";
inline constexpr const char* IDS_BACKUP_UNREADABLE = "IDS_BACKUP_UNREADABLE";
inline constexpr const char* IDS_BACKUP_OPEN = "IDS_BACKUP_OPEN";
inline constexpr const char* IDS_BACKUP_SHOW_FOLDER = "IDS_BACKUP_SHOW_FOLDER";
inline constexpr const char* IDS_BACKUP_CANCEL = "IDS_BACKUP_CANCEL";
inline constexpr const char* IDS_BACKUP_FOLDER_FAILED = "IDS_BACKUP_FOLDER_FAILED";
inline constexpr const char* IDS_BACKUP_TITLE = "IDS_BACKUP_TITLE";
inline constexpr const char* IDS_BACKUP_TITLE_FILE = "IDS_BACKUP_TITLE_FILE";
inline constexpr const char* IDS_FILE_CHANGED_SAVE = "IDS_FILE_CHANGED_SAVE";
inline constexpr const char* IDS_FILE_CHANGED_SAVE_AS = "IDS_FILE_CHANGED_SAVE_AS";
inline constexpr const char* IDS_FILE_CHANGED_RELOAD = "IDS_FILE_CHANGED_RELOAD";
inline constexpr const char* IDS_STEP_RELOAD = "IDS_STEP_RELOAD";
// The connection check: its window and report, the findings (%s: device, group, program,
// command, as each text says), and the port dialog's list of other devices.
inline constexpr const char* IDS_CHECK_TITLE = "IDS_CHECK_TITLE";
inline constexpr const char* IDS_CHECK_DEVICES = "IDS_CHECK_DEVICES";
inline constexpr const char* IDS_CHECK_NO_DEVICES = "IDS_CHECK_NO_DEVICES";
inline constexpr const char* IDS_CHECK_OPENS = "IDS_CHECK_OPENS";
inline constexpr const char* IDS_CHECK_NO_OPEN = "IDS_CHECK_NO_OPEN";
inline constexpr const char* IDS_CHECK_NO_COM = "IDS_CHECK_NO_COM";
inline constexpr const char* IDS_CHECK_NO_DEVICE = "IDS_CHECK_NO_DEVICE";
inline constexpr const char* IDS_CHECK_ERROR = "IDS_CHECK_ERROR";
inline constexpr const char* IDS_CHECK_WARNING = "IDS_CHECK_WARNING";
inline constexpr const char* IDS_CHECK_INFO = "IDS_CHECK_INFO";
inline constexpr const char* IDS_CHECK_FIX = "IDS_CHECK_FIX";
inline constexpr const char* IDS_CHECK_NOT_IN_GROUP = "IDS_CHECK_NOT_IN_GROUP";
inline constexpr const char* IDS_CHECK_NOT_IN_GROUP_FIX = "IDS_CHECK_NOT_IN_GROUP_FIX";
inline constexpr const char* IDS_CHECK_RELOGIN = "IDS_CHECK_RELOGIN";
inline constexpr const char* IDS_CHECK_RELOGIN_FIX = "IDS_CHECK_RELOGIN_FIX";
inline constexpr const char* IDS_CHECK_DENIED = "IDS_CHECK_DENIED";
inline constexpr const char* IDS_CHECK_DENIED_FIX = "IDS_CHECK_DENIED_FIX";
inline constexpr const char* IDS_CHECK_HELD = "IDS_CHECK_HELD";
inline constexpr const char* IDS_CHECK_HELD_FIX = "IDS_CHECK_HELD_FIX";
inline constexpr const char* IDS_CHECK_LOCKED = "IDS_CHECK_LOCKED";
inline constexpr const char* IDS_CHECK_LOCKED_FIX = "IDS_CHECK_LOCKED_FIX";
inline constexpr const char* IDS_CHECK_OPEN_FAILED = "IDS_CHECK_OPEN_FAILED";
inline constexpr const char* IDS_CHECK_OPEN_FAILED_FIX = "IDS_CHECK_OPEN_FAILED_FIX";
inline constexpr const char* IDS_CHECK_BRLTTY = "IDS_CHECK_BRLTTY";
inline constexpr const char* IDS_CHECK_BRLTTY_FIX = "IDS_CHECK_BRLTTY_FIX";
inline constexpr const char* IDS_CHECK_MODEMMANAGER = "IDS_CHECK_MODEMMANAGER";
inline constexpr const char* IDS_CHECK_MODEMMANAGER_FIX = "IDS_CHECK_MODEMMANAGER_FIX";
inline constexpr const char* IDS_CHECK_SNAP = "IDS_CHECK_SNAP";
inline constexpr const char* IDS_CHECK_SNAP_FIX = "IDS_CHECK_SNAP_FIX";
inline constexpr const char* IDS_CHECK_FLATPAK = "IDS_CHECK_FLATPAK";
inline constexpr const char* IDS_CHECK_FLATPAK_FIX = "IDS_CHECK_FLATPAK_FIX";
inline constexpr const char* IDS_CHECK_NO_DRIVER = "IDS_CHECK_NO_DRIVER";
inline constexpr const char* IDS_CHECK_NO_DRIVER_FIX = "IDS_CHECK_NO_DRIVER_FIX";
inline constexpr const char* IDS_CHECK_NO_CABLE = "IDS_CHECK_NO_CABLE";
inline constexpr const char* IDS_CHECK_NO_CABLE_FIX = "IDS_CHECK_NO_CABLE_FIX";
inline constexpr const char* IDS_CHECK_NOT_USB = "IDS_CHECK_NOT_USB";
inline constexpr const char* IDS_CHECK_PORT_ELSEWHERE = "IDS_CHECK_PORT_ELSEWHERE";
inline constexpr const char* IDS_CHECK_CHOOSE_PORT = "IDS_CHECK_CHOOSE_PORT";
inline constexpr const char* IDS_CHECK_BIND_PORT = "IDS_CHECK_BIND_PORT";
inline constexpr const char* IDS_CHECK_READY = "IDS_CHECK_READY";
inline constexpr const char* IDS_CHECK_COPY = "IDS_CHECK_COPY";
inline constexpr const char* IDS_CHECK_BUTTON = "IDS_CHECK_BUTTON";
inline constexpr const char* IDS_CHECK_HINT = "IDS_CHECK_HINT";
inline constexpr const char* IDS_REPORT_BUTTON = "IDS_REPORT_BUTTON";
inline constexpr const char* IDS_REPORT_FILTER = "IDS_REPORT_FILTER";
inline constexpr const char* IDS_REPORT_SAVED = "IDS_REPORT_SAVED";
inline constexpr const char* IDS_REPORT_WRITE_FAIL = "IDS_REPORT_WRITE_FAIL";
inline constexpr const char* IDS_PORT_OTHER_DEVICES = "IDS_PORT_OTHER_DEVICES";
inline constexpr const char* IDS_PORT_USE_AS = "IDS_PORT_USE_AS";

// Menu entries, in the order the menu is relabelled.
inline constexpr const char* Menu_File = "Menu_File";
inline constexpr const char* Menu_Program = "Menu_Program";
inline constexpr const char* Menu_Setting = "Menu_Setting";
inline constexpr const char* Menu_Help = "Menu_Help";
inline constexpr const char* Menu_File_New = "Menu_File_New";
inline constexpr const char* Menu_File_Open = "Menu_File_Open";
inline constexpr const char* Menu_File_Save = "Menu_File_Save";
inline constexpr const char* Menu_File_Save_As = "Menu_File_Save_As";
inline constexpr const char* Menu_File_Print = "Menu_File_Print";
inline constexpr const char* Menu_File_Print_Preview = "Menu_File_Print_Preview";
inline constexpr const char* Menu_File_Print_Setup = "Menu_File_Print_Setup";
inline constexpr const char* Menu_App_Exit = "Menu_App_Exit";
inline constexpr const char* Menu_Program_ReadData = "Menu_Program_ReadData";
inline constexpr const char* Menu_Program_WriteData = "Menu_Program_WriteData";
inline constexpr const char* Menu_Setting_Port = "Menu_Setting_Port";
inline constexpr const char* Menu_Setting_Language = "Menu_Setting_Language";
inline constexpr const char* Menu_Help_Help = "Menu_Help_Help";
inline constexpr const char* Menu_Help_Check = "Menu_Help_Check";
inline constexpr const char* Menu_Help_Report = "Menu_Help_Report";
inline constexpr const char* Menu_App_About = "Menu_App_About";
inline constexpr const char* IDS_VERIFY_MISMATCH_BRIEF = "IDS_VERIFY_MISMATCH_BRIEF";
inline constexpr const char* IDS_VERIFY_CANCELLED = "IDS_VERIFY_CANCELLED";
inline constexpr const char* IDS_FLEET_TALLY = "IDS_FLEET_TALLY";
inline constexpr const char* IDS_FLEET_CANCELLED_PARTLY = "IDS_FLEET_CANCELLED_PARTLY";
inline constexpr const char* IDS_FLEET_FAILED_PARTLY = "IDS_FLEET_FAILED_PARTLY";
inline constexpr const char* IDS_FLEET_CANCELLED_WRITTEN = "IDS_FLEET_CANCELLED_WRITTEN";
inline constexpr const char* IDS_FLEET_STOPPED_LIST = "IDS_FLEET_STOPPED_LIST";
inline constexpr const char* IDS_INVALID_VALUE = "IDS_INVALID_VALUE";

// Every String key above except the tool tips (which are formed from TipKeyFormat).
// (std::to_array: deducing a std::array of this many entries exceeds clang's fold limit.)
inline constexpr auto AllStringKeys = std::to_array<const char*>({
    IDS_WINDOWNAME,
    IDS_PROMPT,
    IDS_WARN_CLEAR,
    IDS_WARN_LOAD,
    IDS_WARN_SAVE,
    IDS_OFF,
    IDS_READDATA,
    IDS_WRITEDATA,
    IDS_PROMPT_READ,
    IDS_PROMPT_WRITE,
    IDS_PROMPT_READFAIL,
    IDS_PROMPT_WRITEFAIL,
    IDS_SEARCHCOMPORT,
    IDS_ERROR,
    IDS_ERROR_PORTCONN,
    IDS_ERROR_TYPE,
    IDS_CONFIRM_TYPE,
    IDS_CONFIRM,
    IDS_CONFIRM_FREQ,
    IDS_YES,
    IDS_NO,
    IDS_HIGH,
    IDS_LOW,
    IDS_WIDE,
    IDS_NARROW,
    IDS_ASK_SAVE,
    IDS_ERROR_FILE_READ,
    IDS_ERROR_FILE_WRITE,
    IDS_UNTITLED,
    IDS_FILTER_ALL,
    IDS_CHANNEL_TABLE,
    IDS_TRANSFER_HINT,
    IDS_ERROR_HELP_OPEN,
    IDS_WARN_SETTINGS_SAVE,
    IDS_ABOUT_VERSION,
    IDS_ERROR_PORT_DENIED,
    IDS_ERROR_PORT_BUSY,
    IDS_ERROR_PORT_MISSING,
    IDS_ERROR_PRINT,
    IDS_ERROR_PORT_UNMAPPED,
    IDS_ERROR_PORT_SILENT,
    IDS_ERROR_SEARCH_NONE,
    IDS_ERROR_PORT_GROUP,
    IDS_ERROR_LINK_LOST,
    IDS_ERROR_IDENT_TIMEOUT,
    IDS_WRITE_PARTIAL,
    IDS_WARN_LANG_FILE,
    IDS_WARN_OWNER_CHANGED,
    IDS_ADJ_NOT_FREQ,
    IDS_ADJ_RASTER,
    IDS_ADJ_BELOW,
    IDS_ADJ_ABOVE,
    IDS_ADJ_TONE_UNKNOWN,
    IDS_ADJ_TONE_NOT_LISTED,
    IDS_ADJ_TONE_CHANGED,
    IDS_ADJ_MORE,
    IDS_UNDO_STEP,
    IDS_REDO_STEP,
    IDS_STEP_CELL,
    IDS_STEP_SETTING,
    IDS_STEP_BAND,
    IDS_STEP_NEW,
    IDS_STEP_READ,
    IDS_STEP_IMPORT,
    IDS_STEP_PASTE,
    IDS_STEP_CUT,
    IDS_STEP_DELETE,
    IDS_STEP_INSERT,
    IDS_STEP_MOVE,
    IDS_CONFIRM_INSERT,
    IDS_PASTE_NOTHING,
    Menu_Edit,
    Menu_Edit_Undo,
    Menu_Edit_Redo,
    Menu_Edit_Cut,
    Menu_Edit_Copy,
    Menu_Edit_Paste,
    Menu_Edit_Delete,
    Menu_Edit_Insert,
    Menu_Edit_Move_Up,
    Menu_Edit_Move_Down,
    IDS_STEP_EDIT_CHANNELS,
    IDS_STEP_SORT,
    IDS_STEP_FILL,
    IDS_EDIT_CHANNELS_TITLE,
    IDS_EDIT_CHANNELS_NONE,
    IDS_CHANNELS_CHANGED,
    IDS_FILL_TITLE,
    IDS_FILL_START,
    IDS_FILL_STEP,
    IDS_FILL_OFFSET,
    IDS_FILL_BAD,
    IDS_FIND_TITLE,
    IDS_FIND_PROMPT,
    IDS_FIND_NOT_FOUND,
    IDS_STATUS_READ,
    IDS_STATUS_READ_BACKUP,
    IDS_STATUS_SAVED,
    IDS_STATUS_EXPORTED,
    IDS_STATUS_PASTED,
    Menu_Edit_Select_All,
    Menu_Edit_Edit_Channels,
    Menu_Edit_Sort,
    Menu_Edit_Sort_Rx,
    Menu_Edit_Sort_Tx,
    Menu_Edit_Sort_Rx_Tone,
    Menu_Edit_Sort_Tx_Tone,
    Menu_Edit_Fill,
    Menu_Edit_Find,
    Menu_Edit_Find_Next,
    Menu_View,
    Menu_View_All_Settings,
    IDS_CLI_READFAIL,
    IDS_CLI_WRITEFAIL,
    IDS_CSV_AT_LINE,
    IDS_CSV_AT_CHANNEL,
    IDS_CSV_NO_HEADER,
    IDS_CSV_UNCLOSED,
    IDS_CSV_SHORT_ROW,
    IDS_CSV_BAD_VALUE,
    IDS_CSV_LOCATION,
    IDS_CSV_NO_CHANNEL,
    IDS_CSV_DUPLICATE,
    IDS_CSV_RX_RASTER,
    IDS_CSV_RX_CLAMPED,
    IDS_CSV_TX_RASTER,
    IDS_CSV_TX_CLAMPED,
    IDS_CSV_CTCSS,
    IDS_CSV_DCS,
    IDS_CSV_TONE_MODE,
    IDS_CSV_MODE,
    IDS_CSV_POWER,
    IDS_CSV_SKIP,
    IDS_CSV_NAME,
    IDS_CSV_COMMENT,
    IDS_CSV_EMPTY_MEMORY,
    IDS_CSV_SUMMARY,
    IDS_CSV_CHANGED,
    IDS_CSV_UNCHANGED,
    IDS_CSV_CLEARED,
    IDS_CSV_SAVED,
    IDS_CSV_DRY_RUN,
    IDS_CSV_FILTER,
    IDS_CSV_EXPORT_TITLE,
    IDS_CSV_IMPORT_TITLE,
    IDS_CSV_STANDARD_ONLY,
    IDS_CSV_RENUMBER,
    IDS_CSV_REPLACE_ALL,
    IDS_CSV_REPORT,
    IDS_CSV_NO_NOTES,
    Menu_File_Export_Csv,
    Menu_File_Import_Csv,
    IDS_DIFF_EMPTY,
    IDS_DIFF_CHANNEL,
    IDS_DIFF_BYTE,
    IDS_DIFF_TITLE,
    IDS_DIFF_WHERE,
    IDS_DIFF_THIS,
    IDS_DIFF_THAT,
    IDS_DIFF_RADIO,
    IDS_DIFF_EQUAL,
    IDS_DIFF_COUNT,
    IDS_PROMPT_BACKUP,
    IDS_PROMPT_VERIFY,
    IDS_VERIFY_OK,
    IDS_VERIFY_MISMATCH,
    IDS_VERIFY_RETRY,
    IDS_VERIFY_FAILED,
    IDS_VERIFY_CHECK,
    IDS_BACKUP_CHECK,
    IDS_BACKUP_FAILED,
    IDS_BACKUP_NOT_WRITTEN,
    IDS_WARN_SHORT_FILE,
    IDS_ASK_SHORT_WRITE,
    Menu_Program_WriteFleet,
    IDS_FLEET_TITLE,
    IDS_FLEET_WAITING,
    IDS_FLEET_UNPLUG,
    IDS_FLEET_DONE,
    IDS_FLEET_VERIFIED,
    IDS_FLEET_NOT_VERIFIED,
    IDS_FLEET_FAILED,
    IDS_FLEET_CANCELLED,
    IDS_FLEET_STEP_CONNECT,
    IDS_FLEET_STEP_IDENTIFY,
    IDS_FLEET_STEP_WRITE,
    IDS_FLEET_STEP_VERIFY,
    IDS_FLEET_STEP_BACKUP,
    IDS_FLEET_COUNT,
    IDS_FLEET_NOT_WRITTEN,
    IDS_FLEET_NO_PORTS,
    IDS_FLEET_HEAD_PORT,
    IDS_FLEET_HEAD_DEVICE,
    IDS_FLEET_HEAD_CABLE,
    IDS_FLEET_HEAD_RADIO,
    IDS_FLEET_HEAD_PROGRESS,
    IDS_FLEET_HEAD_RESULT,
    IDS_FLEET_HEAD_TIME,
    IDS_FLEET_HEAD_BACKUP,
    IDS_FLEET_REPEAT,
    IDS_FLEET_START,
    IDS_FLEET_STOP,
    IDS_FLEET_SAVE_REPORT,
    IDS_FLEET_CLOSE,
    IDS_FLEET_REPORT_FILTER,
    IDS_FLEET_DIFFERENCES,
    IDS_FLEET_WAITING_ALL,
    Menu_File_Compare,
    Menu_File_Open_Backup,
    IDS_BACKUP_KEEP_INVALID,
    IDS_BACKUP_LIST_TITLE,
    IDS_BACKUP_LIST_FOLDER,
    IDS_BACKUP_LIST_EMPTY,
    IDS_BACKUP_HEAD_TIME,
    IDS_BACKUP_HEAD_KIND,
    IDS_BACKUP_HEAD_BAND,
    IDS_BACKUP_HEAD_CHANNELS,
    IDS_BACKUP_KIND_READ,
    IDS_BACKUP_KIND_BEFORE_WRITE,
    IDS_BACKUP_UNREADABLE,
    IDS_BACKUP_OPEN,
    IDS_BACKUP_SHOW_FOLDER,
    IDS_BACKUP_CANCEL,
    IDS_BACKUP_FOLDER_FAILED,
    IDS_BACKUP_TITLE,
    IDS_BACKUP_TITLE_FILE,
    IDS_FILE_CHANGED_SAVE,
    IDS_FILE_CHANGED_SAVE_AS,
    IDS_FILE_CHANGED_RELOAD,
    IDS_STEP_RELOAD,
    IDS_CHECK_TITLE,
    IDS_CHECK_DEVICES,
    IDS_CHECK_NO_DEVICES,
    IDS_CHECK_OPENS,
    IDS_CHECK_NO_OPEN,
    IDS_CHECK_NO_COM,
    IDS_CHECK_NO_DEVICE,
    IDS_CHECK_ERROR,
    IDS_CHECK_WARNING,
    IDS_CHECK_INFO,
    IDS_CHECK_FIX,
    IDS_CHECK_NOT_IN_GROUP,
    IDS_CHECK_NOT_IN_GROUP_FIX,
    IDS_CHECK_RELOGIN,
    IDS_CHECK_RELOGIN_FIX,
    IDS_CHECK_DENIED,
    IDS_CHECK_DENIED_FIX,
    IDS_CHECK_HELD,
    IDS_CHECK_HELD_FIX,
    IDS_CHECK_LOCKED,
    IDS_CHECK_LOCKED_FIX,
    IDS_CHECK_OPEN_FAILED,
    IDS_CHECK_OPEN_FAILED_FIX,
    IDS_CHECK_BRLTTY,
    IDS_CHECK_BRLTTY_FIX,
    IDS_CHECK_MODEMMANAGER,
    IDS_CHECK_MODEMMANAGER_FIX,
    IDS_CHECK_SNAP,
    IDS_CHECK_SNAP_FIX,
    IDS_CHECK_FLATPAK,
    IDS_CHECK_FLATPAK_FIX,
    IDS_CHECK_NO_DRIVER,
    IDS_CHECK_NO_DRIVER_FIX,
    IDS_CHECK_NO_CABLE,
    IDS_CHECK_NO_CABLE_FIX,
    IDS_CHECK_NOT_USB,
    IDS_CHECK_PORT_ELSEWHERE,
    IDS_CHECK_CHOOSE_PORT,
    IDS_CHECK_BIND_PORT,
    IDS_CHECK_READY,
    IDS_CHECK_COPY,
    IDS_CHECK_BUTTON,
    IDS_CHECK_HINT,
    IDS_REPORT_BUTTON,
    IDS_REPORT_FILTER,
    IDS_REPORT_SAVED,
    IDS_REPORT_WRITE_FAIL,
    IDS_PORT_OTHER_DEVICES,
    IDS_PORT_USE_AS,
    Menu_File,
    Menu_Program,
    Menu_Setting,
    Menu_Help,
    Menu_File_New,
    Menu_File_Open,
    Menu_File_Save,
    Menu_File_Save_As,
    Menu_File_Print,
    Menu_File_Print_Preview,
    Menu_File_Print_Setup,
    Menu_App_Exit,
    Menu_Program_ReadData,
    Menu_Program_WriteData,
    Menu_Setting_Port,
    Menu_Setting_Language,
    Menu_Help_Help,
    Menu_Help_Check,
    Menu_Help_Report,
    Menu_App_About,
    IDS_VERIFY_MISMATCH_BRIEF,
    IDS_VERIFY_CANCELLED,
    IDS_FLEET_TALLY,
    IDS_FLEET_CANCELLED_PARTLY,
    IDS_FLEET_FAILED_PARTLY,
    IDS_FLEET_CANCELLED_WRITTEN,
    IDS_FLEET_STOPPED_LIST,
    IDS_INVALID_VALUE,
});

// Resource ids (dialogs and controls) the shipped language files give a text.
inline constexpr auto AllResourceIds = std::to_array<int>({
    100,  1015, 1050,                                                 // About box
    101,  1020, 1021, 1027, 1041, 1031, 1035, 1025, 1033, 1047, 1023, // main form
    1029, 1024, 1028, 1030, 1043, 1045, 1039,                         //
    130,  1011, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1012, // port dialog
    131,  1013,                                                       // language dialog
    132,                                                              // transfer dialog
    1,    2,                                                          // OK, Cancel
});

} // namespace orvik::lang
