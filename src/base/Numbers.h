// Window, gadget and command numbers: the fixed small integers by which windows, controls,
// menu items and keyboard shortcuts are addressed everywhere; and the data file's own sizes.
#pragma once

#include <cstdint>

// The data file: slots of a deleted mark and 32,000 bytes of text, at most 32,767 of them.
constexpr std::int64_t kSlotSize = 32001;
constexpr std::int64_t kTextSize = 32000;
constexpr std::int64_t kRecordLimit = 32767;
constexpr int kStarterRecords = 9;

// About a second after the last key the journal of unsaved typing is written: long enough
// that typing never writes, short enough that a crash loses a second of it.
constexpr int kJournalPauseMs = 1000;

// Windows
constexpr int kWindowMain = 100;
constexpr int kWindowOptions = 101;
constexpr int kWindowHelp = 103;
constexpr int kWindowFind = 102;
constexpr int kWindowFindAll = 105;
constexpr int kWindowUndelete = 106;

// Gadgets of the main window and the help window
constexpr int kGadgetHelpEditor = 104;
constexpr int kGadgetAdd = 200;
constexpr int kGadgetDelete = 201;
constexpr int kGadgetOptions = 202;
constexpr int kGadgetHelp = 203;
constexpr int kGadgetSelector = 204;
constexpr int kGadgetEditor = 205;

// Context menu and its commands, system-menu tools
constexpr int kCmdSelectAll = 301;
constexpr int kCmdCut = 302;
constexpr int kCmdCopy = 303;
constexpr int kCmdPaste = 304;
constexpr int kCmdUndo = 305;
constexpr int kCmdRedo = 306;
constexpr int kCmdLookupFirst = 307;
constexpr int kCmdLookupLast = 310;
constexpr int kCmdFind = 311;
constexpr int kCmdCalculator = 312;
constexpr int kCmdFileManager = 313;
constexpr int kCmdTerminal = 314;

// The main window's own window menu, where the system gives it none the program can extend
constexpr int kCmdWindowMenu = 321;
constexpr int kCmdWindowRestore = 322;
constexpr int kCmdWindowMove = 323;
constexpr int kCmdWindowSize = 324;
constexpr int kCmdWindowMinimise = 325;
constexpr int kCmdWindowMaximise = 326;
constexpr int kCmdWindowClose = 327;

// Gadgets of the options dialog
constexpr int kGadgetWordwrap = 400;
constexpr int kGadgetOnTop = 401;
constexpr int kGadgetReadOnly = 402;
constexpr int kGadgetHideTooltips = 403;
constexpr int kGadgetAutoBackup = 404;
constexpr int kGadgetDesktopShortcut = 405;
constexpr int kGadgetFont = 406;
constexpr int kGadgetColour = 407;
constexpr int kGadgetExport = 408;
constexpr int kGadgetApply = 410;
constexpr int kGadgetCancel = 411;

// Keyboard shortcuts
constexpr int kCmdNextControl = 500;
constexpr int kCmdPressFocused = 501;
constexpr int kCmdCloseDialog = 502;
constexpr int kCmdAdd = 503;
constexpr int kCmdDelete = 504;
constexpr int kCmdOptions = 505;
constexpr int kCmdHelp = 506;
constexpr int kCmdFocusSelector = 507;
constexpr int kCmdFocusEditor = 508;
constexpr int kCmdFindPrevious = 510;
constexpr int kCmdFindNext = 511;
constexpr int kCmdUndelete = 512;
constexpr int kCmdFindAll = 513;
constexpr int kCmdPreviousControl = 514;

// Timers of the main window
constexpr int kTimerJournal = 600;
constexpr int kTimerTitle = 601;
constexpr int kTimerJournalLongest = 602;

// Gadgets of the find dialog, in the order TAB walks them
constexpr int kGadgetFindTerm = 700;
constexpr int kGadgetFindTermLabel = 701;
constexpr int kGadgetFindWholeWord = 702;
constexpr int kGadgetFindMatchCase = 703;
constexpr int kGadgetFindDirection = 704;
constexpr int kGadgetFindUp = 705;
constexpr int kGadgetFindDown = 706;
constexpr int kGadgetFindNext = 707;
constexpr int kGadgetFindCancel = 708;

// Gadgets of Find in All Records, and the timer of its pause in typing
constexpr int kGadgetFindAllTerm = 720;
constexpr int kGadgetFindAllTermLabel = 721;
constexpr int kGadgetFindAllMatchCase = 722;
constexpr int kGadgetFindAllWholeWord = 723;
constexpr int kGadgetFindAllResults = 724;
constexpr int kGadgetFindAllStatus = 725;
constexpr int kTimerFindAllPause = 730;

// Gadgets of the Undelete window, in the order TAB walks them
constexpr int kGadgetUndeletePrompt = 740;
constexpr int kGadgetUndeleteList = 741;
constexpr int kGadgetUndeleteOk = 742;
constexpr int kGadgetUndeleteCancel = 743;
