#include "commandline.h"

#include <cstdio>
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
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (options && std::strcmp(argument, "--") == 0) {
            options = false;
            continue;
        }
        if (options && (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)) {
            printUsage(stdout, program);
            std::printf("\n%s", program.help);
            line.exitCode = 0;
            return line;
        }
        if (options && std::strcmp(argument, "--version") == 0) {
            std::printf("%s %s\n%s\nLicense: MIT <https://opensource.org/licenses/MIT>\n", program.name,
                        ZIMBREL_VERSION, kCopyright);
            line.exitCode = 0;
            return line;
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
    }
    return line;
}

} // namespace zimbrel
