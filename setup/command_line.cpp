// The command line's answers: --help and --version, and the usage for anything else.
#include "command_line.h"

#include "platform.h"

namespace {

// The program's name and version as "--version" prints them; the version is the build's.
const std::string VersionLine = std::string("Tessaroc ") + TESSAROC_VERSION + "\n";

// The options and environment of the manual page, in short; the data folder as the system
// names it.
std::string Usage() {
    return "Usage: tessaroc [--help | --version]\n"
           "A mine-clearing puzzle game in a small window; without options the game starts.\n"
           "\n"
           "Options:\n"
           "  -h, --help     print this help and exit\n"
           "      --version  print the version and exit\n"
           "\n"
           "Environment:\n"
           "  TESSAROC_SCALE  draw the window 1, 2, 3 or 4 times as large, pixel for pixel\n" +
           DataFolderUsage();
}

// The first line of a wrong call's answer: what was wrong.
std::string Complaint(const std::vector<std::string>& arguments) {
    if (arguments.size() > 1) return "tessaroc: too many arguments\n";
    const std::string& argument = arguments[0];
    const bool option = argument.size() > 1 && argument[0] == '-';
    return "tessaroc: " + std::string(option ? "unknown option '" : "unexpected argument '") +
           argument + "'\n";
}

} // namespace

CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {};
    const bool help = arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "/?";
    if (arguments.size() == 1 && help) return {false, ExitAnswered, Usage(), false};
    if (arguments.size() == 1 && arguments[0] == "--version")
        return {false, ExitAnswered, VersionLine, false};
    return {false, ExitWrongCall, Complaint(arguments) + Usage(), true};
}
