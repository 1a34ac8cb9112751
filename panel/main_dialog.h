// The main dialog: its procedure, set-up, texts, refresh tick and commands.
#pragma once
#include <windows.h>

// Dialog procedure of dialog 103: a dispatcher that calls one handler per message.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Inside dialog creation: icons, control handles, settings pushed into a library that has no
// hook yet, edit boxes, check boxes, the notification-icon record. False when a control is
// missing; the dialog is then destroyed.
bool InitMainDialog(HWND dialog);
// Replaces the template's language keys by the texts of the language file.
void ApplyDialogTexts();
// Each refresh tick: log writer start rule, then (dialog shown) mirror the library's state.
void RefreshDialog();
// A command of the dialog's controls or of the tray menu; false for ids it does not know.
bool RunCommand(int id);

// Store the key of each box as 1 or 0 and set the box to match.
void SyncHookTypeBoxes();
void SyncAutoTipsBox();
void SyncAutoHookBox();
void SyncLogToFileBox();

// The single way out: removes the icon, unhooks, destroys the dialog.
void ExitPanel();
