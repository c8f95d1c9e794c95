// The program's entry: the command line's answers, else the whole game in RunTessaroc.
#include <cstdio>

#include "command_line.h"
#include "setup.h"

int main(int argc, char** argv) {
    const CommandLineAnswer answer =
        AnswerCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (answer.play) return RunTessaroc();
    std::fputs(answer.text.c_str(), answer.toStandardError ? stderr : stdout);
    return answer.exitCode;
}
