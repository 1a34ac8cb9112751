// Commands of the dialog's controls and of the tray menu, and the check boxes' settings.
#pragma once
#include <cstdint>

// A command of the dialog's controls or of the tray menu; false for ids it does not know.
bool RunCommand(int id);

// Sets one shared interval (slot: its row in kIntervalRows) as Set does with a typed value; a
// value the filter does not take is refused at the box, with a balloon.
void SetSharedInterval(int slot, std::uint32_t value);
// Switches one source bit of the hook type on or off (library and stored key); the main
// dialog's boxes follow.
void SetHookTypeSource(std::uint8_t sourceBit, bool on);
// Store the key of each box as 1 or 0 and set the box to match.
void SyncHookTypeBoxes();
void SyncAutoTipsBox();
void SyncAutoHookBox();
void SyncLogToFileBox();
