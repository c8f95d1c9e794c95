// The command line's answers: help and version on stdout, a wrong call on stderr with 2.
#include <gtest/gtest.h>

#include "command_line.h"

namespace {

TEST(CommandLine, WithoutArgumentsTheGameStarts) {
    const CommandLineAnswer answer = AnswerCommandLine({});
    EXPECT_TRUE(answer.play);
    EXPECT_EQ(answer.text, "");
}

TEST(CommandLine, HelpAndItsShortFormsPrintTheUsageOnStdoutAndEndWithZero) {
    for (const char* option : {"--help", "-h", "/?"}) {
        const CommandLineAnswer answer = AnswerCommandLine({option});
        EXPECT_FALSE(answer.play) << option;
        EXPECT_EQ(answer.exitCode, 0) << option;
        EXPECT_FALSE(answer.toStandardError) << option;
        EXPECT_EQ(answer.text.rfind("Usage: tessaroc [--help | --version]\n", 0), 0u) << option;
        for (const char* named :
             {"--help", "--version", "TESSAROC_SCALE",
              TESSAROC_CROSS_BUILD ? "%LOCALAPPDATA%\\Tessaroc" : "XDG_DATA_HOME"})
            EXPECT_NE(answer.text.find(named), std::string::npos) << option << " lacks " << named;
    }
}

TEST(CommandLine, VersionPrintsTheNameAndTheBuildsVersionAlone) {
    const CommandLineAnswer answer = AnswerCommandLine({"--version"});
    EXPECT_FALSE(answer.play);
    EXPECT_EQ(answer.exitCode, 0);
    EXPECT_FALSE(answer.toStandardError);
    EXPECT_EQ(answer.text, "Tessaroc " TESSAROC_VERSION "\n");
}

TEST(CommandLine, AnythingElseSaysWhatWasWrongAndGivesTheUsageOnStderrWithTwo) {
    struct Case {
        std::vector<std::string> arguments;
        std::string firstLine;
    };
    const Case cases[] = {
        {{"--verbose"}, "tessaroc: unknown option '--verbose'"},
        {{"-v"}, "tessaroc: unknown option '-v'"},
        {{"--HELP"}, "tessaroc: unknown option '--HELP'"}, // options are case-sensitive
        {{"--help=all"}, "tessaroc: unknown option '--help=all'"},
        {{"--"}, "tessaroc: unknown option '--'"},
        {{"TopList"}, "tessaroc: unexpected argument 'TopList'"}, // no file to open
        {{"/?", "/?"}, "tessaroc: too many arguments"},
        {{"-"}, "tessaroc: unexpected argument '-'"}, // nor standard input
        {{""}, "tessaroc: unexpected argument ''"},
        {{"--help", "--version"}, "tessaroc: too many arguments"}, // one answer per call
        {{"--version", "--version"}, "tessaroc: too many arguments"},
    };
    for (const Case& c : cases) {
        const CommandLineAnswer answer = AnswerCommandLine(c.arguments);
        const std::string where = "arguments starting with \"" + c.arguments[0] + "\"";
        EXPECT_FALSE(answer.play) << where;
        EXPECT_EQ(answer.exitCode, 2) << where;
        EXPECT_TRUE(answer.toStandardError) << where;
        EXPECT_EQ(answer.text.substr(0, answer.text.find('\n')), c.firstLine) << where;
        EXPECT_NE(answer.text.find("\nUsage: tessaroc [--help | --version]\n"), std::string::npos)
            << where;
    }
}

} // namespace
