// The program's entry: the command line's answers, else the whole game in RunTessaroc.
#include "command_line.h"
#include "setup.h"

int main(int argc, char** argv) {
    const CommandLineAnswer answer =
        AnswerCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (answer.play) return RunTessaroc();
    PrintAnswer(answer.text, answer.toStandardError);
    return answer.exitCode;
}
