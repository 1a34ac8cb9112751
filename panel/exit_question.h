// The question Exit asks before it stops a filter that another program started.
#pragma once

enum class ExitChoice { StopFilterAndExit, ExitKeepFiltering, StayOpen };

// A message box owned by the dialog: the filter was started by another program (Quillrun at
// log-on, another panel); stop it as the panel exits (Yes, the default), exit and leave it
// running (No), or stay open (Cancel). Texts from the language file.
ExitChoice AskBeforeStoppingForeignFilter();
