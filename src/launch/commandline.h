#pragma once
// --help, --version and the usage line, the same way in every program. Plain C++, so the generator
// answers them before it loads the GUI toolkit or touches the clipboard.

#include <string>
#include <vector>

namespace zimbrel {

struct ProgramDescription
{
    const char *name;     // zimbrel-generator
    const char *usage;    // what follows the name on the usage line: "[COLOR]", or ""
    const char *help;     // the paragraphs --help prints after the usage line
    int maxArguments = 0; // how many plain (non-option) arguments the program takes
};

inline constexpr char kCopyright[] = "Copyright (c) 2026 The Zimbrel developers";

struct CommandLine
{
    int exitCode = -1;                  // -1: go on and run; otherwise end with this code
    std::vector<std::string> arguments; // the plain arguments
};

// --help / -h and --version print to standard output and end with 0; an unknown option or too
// many arguments print the usage line to standard error and end with 2. "--" ends the options.
CommandLine readCommandLine(int argc, char **argv, const ProgramDescription &program);

} // namespace zimbrel
