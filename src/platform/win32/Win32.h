// The Windows headers for the Win32 backend (include them only through here), less the macros that would rename the program's
// own operations (DeleteFile, ChooseFont, ...): the backend calls the W functions by name.
#pragma once

// Windows 10 or later.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// Every other system header comes here too, before the macros go: one of them included later
// would bring its macros back.
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <ole2.h>
#include <oleacc.h>
#include <richedit.h>
#include <shellapi.h>
#include <shlobj.h>

#undef DeleteFile
#undef ChooseFont
#undef ChooseColor
#undef CopyFile
#undef MoveFile
#undef CreateFile
#undef SendMessage
#undef PostMessage
#undef GetMessage
#undef FindText
#undef CreateWindow
#undef LoadIcon
#undef MessageBox
#undef RegisterClass
#undef DrawText
#undef GetObject
#undef CreateMutex
#undef RegisterWindowMessage
