// Setting up the main dialog inside its creation, and its language texts.
#pragma once
#include <windows.h>

// Icons, control handles, settings pushed into a library that has no hook yet, edit boxes, check
// boxes, the notification-icon record. False when a control is missing; the dialog is then
// destroyed.
bool InitMainDialog(HWND dialog);
// Replaces the template's language keys by the texts of the language file.
void ApplyDialogTexts();
