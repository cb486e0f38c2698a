#include "commandline.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zimbrel {

namespace {

void printUsage(std::FILE *to, const ProgramDescription &program)
{
    std::fprintf(to, "usage: %s [--help] [--version]%s%s\n", program.name, *program.usage ? " " : "", program.usage);
}

} // namespace

CommandLine readCommandLine(int argc, char **argv, const ProgramDescription &program)
{
    CommandLine line;
    bool options = true;
    // --help and --version answer only a command line that is right as a whole, wherever they
    // stand in it: "--frobnicate --help" and "--help --frobnicate" are the same mistake.
    const char *asked = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (options && std::strcmp(argument, "--") == 0) {
            options = false;
            continue;
        }
        if (options
            && (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0
                || std::strcmp(argument, "--version") == 0)) {
            if (!asked)
                asked = argument;
            continue;
        }
        if (options && argument[0] == '-' && argument[1] == '-') {
            const char *equals = std::strchr(argument, '=');
            const std::string name(argument, equals ? size_t(equals - argument) : std::strlen(argument));
            const ProgramOption *option = nullptr;
            for (const ProgramOption &candidate : program.options) {
                if (name == candidate.name)
                    option = &candidate;
            }
            if (option && option->takesText) {
                line.options[name] = 1;
                if (equals)
                    line.texts[name] = equals + 1;
                else if (i + 1 < argc && argv[i + 1][0] != '-')
                    line.texts[name] = argv[++i];
                continue;
            }
            if (option && !option->takesNumber && !equals) {
                line.options[name] = 1;
                continue;
            }
            if (option && option->takesNumber) {
                const char *number = equals ? equals + 1 : (i + 1 < argc ? argv[++i] : nullptr);
                char *end = nullptr;
                errno = 0;
                const long value = number && *number ? std::strtol(number, &end, 10) : 0;
                if (!number || !*number || *end || errno != 0 || value < option->min || value > option->max) {
                    std::fprintf(stderr, "%s: %s takes a whole number from %ld to %ld\n", program.name, option->name,
                                 option->min, option->max);
                    printUsage(stderr, program);
                    line.exitCode = 2;
                    return line;
                }
                line.options[name] = value;
                continue;
            }
        }
        // "-" alone is a plain argument; anything else starting with "-" is an unknown option.
        if (options && argument[0] == '-' && argument[1] != '\0') {
            std::fprintf(stderr, "%s: unknown option %s\n", program.name, argument);
            printUsage(stderr, program);
            line.exitCode = 2;
            return line;
        }
        line.arguments.emplace_back(argument);
    }
    if (int(line.arguments.size()) > program.maxArguments) {
        std::fprintf(stderr, "%s: unexpected argument %s\n", program.name,
                     line.arguments[size_t(program.maxArguments)].c_str());
        printUsage(stderr, program);
        line.exitCode = 2;
        return line;
    }
    if (asked && std::strcmp(asked, "--version") == 0) {
        std::printf("%s %s\n%s\nLicense: MIT <https://opensource.org/licenses/MIT>\n", program.name, ZIMBREL_VERSION,
                    kCopyright);
        line.exitCode = 0;
    } else if (asked) {
        printUsage(stdout, program);
        std::printf("\n%s", program.help);
        line.exitCode = 0;
    }
    return line;
}

} // namespace zimbrel
