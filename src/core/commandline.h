#pragma once
// --help, --version and the usage line, the same way in every program. Plain C++, so the generator
// answers them before it loads the GUI toolkit or touches the clipboard.

#include <map>
#include <string>
#include <vector>

namespace zimbrel {

// An option of a program's own: a switch (--print), one that takes a whole number in a range
// (--count N, also --count=N), or one that may take a text (--shortcut, --shortcut KEYS: a next
// argument that does not start with "-", also --shortcut=KEYS).
struct ProgramOption
{
    const char *name; // with its dashes: "--count"
    bool takesNumber = false;
    long min = 0;
    long max = 0;
    bool takesText = false;
};

struct ProgramDescription
{
    const char *name;     // zimbrel-generator
    const char *usage;    // what follows the name on the usage line: "[COLOR]", or ""
    const char *help;     // the paragraphs --help prints after the usage line
    int maxArguments = 0; // how many plain (non-option) arguments the program takes
    std::vector<ProgramOption> options = {};
};

inline constexpr char kCopyright[] = "Copyright (c) 2026 The Zimbrel developers";

struct CommandLine
{
    int exitCode = -1;                        // -1: go on and run; otherwise end with this code
    std::vector<std::string> arguments;       // the plain arguments
    std::map<std::string, long> options;      // the program's own options given: a switch as 1
    std::map<std::string, std::string> texts; // the texts given to options that take one

    bool has(const std::string &option) const { return options.count(option) != 0; }
    std::string text(const std::string &option) const
    {
        const auto found = texts.find(option);
        return found == texts.end() ? std::string() : found->second;
    }
    long value(const std::string &option, long fallback) const
    {
        const auto found = options.find(option);
        return found == options.end() ? fallback : found->second;
    }
};

// --help / -h and --version print to standard output and end with 0; an unknown option, a number
// that is no whole number in its option's range, or too many arguments print the reason and the
// usage line to standard error and end with 2. "--" ends the options.
CommandLine readCommandLine(int argc, char **argv, const ProgramDescription &program);

} // namespace zimbrel
