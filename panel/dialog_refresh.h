// The main dialog's refresh tick.
#pragma once

// Each refresh tick: log writer start rule, then (dialog shown) mirror the library's state.
void RefreshDialog();
