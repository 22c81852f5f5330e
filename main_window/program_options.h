#pragma once

#include <optional>

// tr4410-settings --help and --version (-h, -v), answered as Qt programs answer them, before
// any window and without a display. Every other argument is left to Qt (-platform, -style, ...).
namespace ProgramOptions {

// Prints the help or the version on stdout and gives the exit code; nothing when neither is asked.
std::optional<int> answer(int argc, char **argv);

} // namespace ProgramOptions
