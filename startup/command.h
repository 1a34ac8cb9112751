// Quillrun's command line: which operation a split command line asks for.
#pragma once
#include <cstddef>

enum class RunnerCommand { Nothing, RunHeadless, ShowUsage, RegisterAutoStart, UnregisterAutoStart };

// count includes the program path. With exactly one argument, the argument is first turned to
// upper case in place (a to z only) and then compared exactly with "/?", "/REG" and "/UNREG".
RunnerCommand ChooseCommand(std::size_t count, char16_t* argument) noexcept;
