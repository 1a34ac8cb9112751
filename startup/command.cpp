// Quillrun's command line (see command.h).
#include "command.h"

namespace {

void UpperCaseAscii(char16_t* text) noexcept {
  for (; *text; ++text) {
    if (*text >= u'a' && *text <= u'z') *text = static_cast<char16_t>(*text - u'a' + u'A');
  }
}

bool Equals(const char16_t* text, const char* literal) noexcept {
  for (; *literal; ++text, ++literal) {
    if (*text != static_cast<char16_t>(*literal)) return false;
  }
  return *text == 0;
}

}  // namespace

RunnerCommand ChooseCommand(std::size_t count, char16_t* argument) noexcept {
  if (count == 1) return RunnerCommand::RunHeadless;
  if (count != 2 || !argument) return RunnerCommand::Nothing;
  UpperCaseAscii(argument);
  if (Equals(argument, "/?")) return RunnerCommand::ShowUsage;
  if (Equals(argument, "/REG")) return RunnerCommand::RegisterAutoStart;
  if (Equals(argument, "/UNREG")) return RunnerCommand::UnregisterAutoStart;
  return RunnerCommand::Nothing;
}
