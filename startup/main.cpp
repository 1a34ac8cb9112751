// Quillrun's entry point: no window of its own; the command line picks one operation.
#include <windows.h>
#include <shellapi.h>

#include "command.h"
#include "configuration.h"
#include "program_folder.h"
#include "runner.h"
#include "unique_handle.h"
#include "utf16.h"

RunnerState Runner;

namespace {

int Run() {
  int count = 0;
  UniqueLocalMemory arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  wchar_t** argv = static_cast<wchar_t**>(arguments.get());
  if (!argv || (count != 1 && count != 2)) return 0;

  EnterProgramFolder();
  ReadRunnerSettings(Runner.Options);

  switch (ChooseCommand(static_cast<std::size_t>(count), count == 2 ? AsUtf16(argv[1]) : nullptr)) {
    case RunnerCommand::RunHeadless:
      return RunHeadless();
    case RunnerCommand::ShowUsage:
      ShowUsage();
      return 0;
    case RunnerCommand::RegisterAutoStart:
      RegisterAutoStart();
      return 0;
    case RunnerCommand::UnregisterAutoStart:
      UnregisterAutoStart();
      return 0;
    case RunnerCommand::Nothing:
      break;
  }
  return 0;
}

}  // namespace

// Every outcome is silent apart from the usage box and the box that says another user's or
// another copy's filter holds the session, a failure included: exit code 0 on every path.
// The library is never unloaded here: the hook is gone or was never ours, and the process's end
// releases it.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int exitCode = 0;
  try {
    exitCode = Run();
  } catch (...) {
    exitCode = 0;
  }
  Runner.Library.Module.release();
  return exitCode;
}
