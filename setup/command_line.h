// The command line, read by main before anything else: the game, or an answer and its end.
#pragma once

#include <string>
#include <vector>

// Exit codes of a command line that the program answers instead of playing.
constexpr int ExitAnswered = 0;
constexpr int ExitWrongCall = 2;

// What main does with its arguments: start the game, or print text and end with exitCode.
struct CommandLineAnswer {
    bool play = true;             // no arguments: the game starts
    int exitCode = 0;             // ExitAnswered or ExitWrongCall when not playing
    std::string text;             // what to print
    bool toStandardError = false; // a wrong call's usage goes to stderr
};

// main, before the game opens any window: no arguments play; "--help" (or "-h", or "/?" as
// Windows programs take it) answers with the usage and "--version" with "Tessaroc <version>"
// on stdout, both ending with 0; anything else (an unknown option, a second argument, a file
// name) says what was wrong and gives the usage on stderr, ending with 2. main prints the
// answer through PrintAnswer, which shows it in a box where there is nowhere to print.
CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& arguments);
