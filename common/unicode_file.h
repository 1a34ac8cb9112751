// The byte-order mark of the files the programs write as UTF-16LE (settings, log): the platform's
// profile functions, and the readers the log is meant for, take a file as Unicode only when it
// starts with FF FE.
#pragma once
#include <windows.h>

// Writes FF FE at the start of file (opened for writing) and leaves the file pointer behind it;
// what the file holds after the two bytes stays. True when both bytes were written.
bool WriteByteOrderMark(HANDLE file);
