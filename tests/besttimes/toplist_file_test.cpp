// Tests of the best-time table and its file: classifying, loading, ranking and saving.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "besttimes_test_support.h"
#include "platform_state.h"
#include "test_support.h"

namespace {

// The file bytes of one entry (place 1 to 10) of a difficulty.
std::string EntryAt(const std::string& file, int32_t difficulty, int32_t place) {
    return file.substr(BlockOffset(difficulty) + 28 * size_t(place - 1), 28);
}

// Loads, ranks and (when a place was taken) saves with the given name, as the screen does.
int32_t RankAndSave(int32_t difficulty, const std::string& time, const std::string& name) {
    EXPECT_EQ(LoadTopList(difficulty), 1);
    int32_t place = PlaceNewTime(time);
    if (place <= TopListPlaces) {
        TopList.place[place].name = name;
        SaveTopList();
    }
    return place;
}

} // namespace

TEST(ClassifyRound, OnlyTheFourExactBoardsHaveAList) {
    EXPECT_EQ(ClassifyRound(15, 10, 12), Leicht);
    EXPECT_EQ(ClassifyRound(20, 15, 35), Mittel);
    EXPECT_EQ(ClassifyRound(25, 20, 80), Schwer);
    EXPECT_EQ(ClassifyRound(40, 25, 200), Brutal);
    EXPECT_EQ(ClassifyRound(15, 10, 13), NoDifficulty);
    EXPECT_EQ(ClassifyRound(16, 10, 12), NoDifficulty);
    EXPECT_EQ(ClassifyRound(15, 11, 12), NoDifficulty);
    EXPECT_EQ(ClassifyRound(10, 15, 12), NoDifficulty);
    EXPECT_EQ(BlockOffset(1), 4);
    EXPECT_EQ(BlockOffset(2), 284);
    EXPECT_EQ(BlockOffset(3), 564);
    EXPECT_EQ(BlockOffset(4), 844);
}

TEST(TopListFile, FirstWinCreatesTheWholeFileAndSavesOnlyItsEntry) {
    std::string path = FreshTopListFolder("bt-create");
    ASSERT_FALSE(FileExists(path));
    ASSERT_EQ(LoadTopList(Mittel), 1);
    EXPECT_EQ(TopListFile.open, 1);
    for (int32_t p = 1; p <= 10; ++p) {
        EXPECT_EQ(TopList.place[p].name, "-" + std::string(19, ' '));
        EXPECT_EQ(TopList.place[p].time, "99999.99");
        EXPECT_EQ(PreviousEntries.place[p].name, TopList.place[p].name);
    }
    ASSERT_EQ(PlaceNewTime("45.67"), 1);
    EXPECT_EQ(TopList.place[1].name, "");
    EXPECT_EQ(TopList.place[1].time, "45.67");
    EXPECT_EQ(TopList.place[2].time, "99999.99");
    EXPECT_EQ(PreviousEntries.place[1].time, "99999.99");
    TopList.place[1].name = "Anna";
    SaveTopList();
    EXPECT_EQ(TopListFile.open, 0);

    std::string file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 1124u);
    std::string expected = WithBlock(DefaultTopListImage(), Mittel, {{"Anna", "45.67"}});
    EXPECT_EQ(file, expected);
    EXPECT_EQ(file.substr(284, 28), "Anna                45.67   ");
}

TEST(TopListFile, FirstWinWithoutPlaceStillInitialisesTheFile) {
    std::string path = FreshTopListFolder("bt-noplace-init");
    ASSERT_EQ(LoadTopList(Brutal), 1);
    EXPECT_EQ(PlaceNewTime("99999.99"), 11);
    EXPECT_EQ(TopListFile.open, 0);
    EXPECT_EQ(ReadWholeFile(path), DefaultTopListImage());
}

TEST(TopListFile, RankingByValueWithTiesBelow) {
    FreshTopListFolder("bt-rank");
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(PlaceNewTime("99999.98"), 1);

    std::string path = FreshTopListFolder("bt-tie");
    WriteWholeFile(path, WithBlock(DefaultTopListImage(), Leicht,
                                   TimesBlock({"10.00", "20.00", "20.00", "30.00"})));
    ASSERT_EQ(LoadTopList(Leicht), 1);
    ASSERT_EQ(PlaceNewTime("20.00"), 4);
    EXPECT_EQ(TopList.place[3].name, "p3" + std::string(18, ' '));
    EXPECT_EQ(TopList.place[4].time, "20.00");
    EXPECT_EQ(TopList.place[5].name, "p4" + std::string(18, ' '));
    EXPECT_EQ(TopList.place[5].time, "30.00   ");
    EXPECT_EQ(TopList.place[6].time, "99999.99");
    // The new text is kept as handed in, compared by value only: "20" equals "20.00".
    path = FreshTopListFolder("bt-tie2");
    WriteWholeFile(path, WithBlock(DefaultTopListImage(), Leicht,
                                   TimesBlock({"10.00", "20.00", "20.00", "30.00"})));
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(PlaceNewTime("20"), 4);
    EXPECT_EQ(TopList.place[4].time, "20");
}

TEST(TopListFile, ExactMaximumTakesNoPlaceAndLeavesTheFileAlone) {
    std::string path = FreshTopListFolder("bt-max");
    WriteWholeFile(path, DefaultTopListImage());
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(PlaceNewTime("99999.99"), 11);

    std::string before = WithBlock(DefaultTopListImage(), Schwer,
                                   TimesBlock({"1.00", "2.00", "3.00", "4.00", "5.00", "6.00",
                                               "7.00", "8.00", "9.00", "10.00"}));
    before[0] = '\x5A'; // byte 0 is never touched
    WriteWholeFile(path, before);
    ASSERT_EQ(LoadTopList(Schwer), 1);
    EXPECT_EQ(PlaceNewTime("10.01"), 11);
    EXPECT_EQ(TopListFile.open, 0);
    EXPECT_EQ(ReadWholeFile(path), before);
}

TEST(TopListFile, PlaceTenReplacesOnlyTheOldTenth) {
    std::string path = FreshTopListFolder("bt-ten");
    std::vector<std::string> times = {"1.00", "2.00", "3.00", "4.00", "5.00",
                                      "6.00", "7.00", "8.00", "9.00", "10.00"};
    std::string before = WithBlock(DefaultTopListImage(), Leicht, TimesBlock(times));
    WriteWholeFile(path, before);
    EXPECT_EQ(RankAndSave(Leicht, "9.50", "Zehn"), 10);
    std::string after = ReadWholeFile(path);
    EXPECT_EQ(after.substr(0, 4 + 9 * 28), before.substr(0, 4 + 9 * 28));
    EXPECT_EQ(EntryAt(after, Leicht, 10), EntryField("Zehn", "9.50"));
    EXPECT_EQ(after.substr(284), before.substr(284));
}

TEST(TopListFile, NamesFillTheirFieldExactly) {
    std::string path = FreshTopListFolder("bt-names");
    std::string twenty = "ABCDEFGHIJ\xE4\xF6\xFC\xDF"
                         "KLMNOP"; // Windows-1252, one byte each
    ASSERT_EQ(twenty.size(), 20u);
    RankAndSave(Leicht, "12.34", twenty);
    RankAndSave(Leicht, "11.00", "- ??? -");
    std::string file = ReadWholeFile(path);
    EXPECT_EQ(EntryAt(file, Leicht, 1), "- ??? -" + std::string(13, ' ') + "11.00   ");
    EXPECT_EQ(EntryAt(file, Leicht, 2), twenty + "12.34   ");
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(TopList.place[2].name, twenty);
    EXPECT_EQ(TopList.place[2].time, "12.34   ");
    EXPECT_EQ(PlaceNewTime("99999.99"), 11);
}

TEST(TopListFile, MissingMarkerResetsAllFourBlocksAndKeepsBytesBeyond) {
    std::string path = FreshTopListFolder("bt-nomarker");
    std::string junk(1200, 'q');
    junk[0] = '\x07';
    WriteWholeFile(path, junk);
    ASSERT_EQ(LoadTopList(Schwer), 1);
    EXPECT_EQ(TopList.place[1].time, "99999.99");
    EXPECT_EQ(PlaceNewTime("99999.99"), 11);
    std::string file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 1200u);
    EXPECT_EQ(file[0], '\x07');
    EXPECT_EQ(file.substr(1, 1123), DefaultTopListImage().substr(1));
    EXPECT_EQ(file.substr(1124), std::string(76, 'q'));
    EXPECT_EQ(ReadWholeFile(path + ".damaged"), junk) << "the old content is kept beside it";
}

// One changed byte of the marker: the four lists are kept in a copy before the file starts
// anew, and a later damage never replaces that copy.
TEST(TopListFile, ADamagedMarkerKeepsTheOldListsInACopy) {
    std::string path = FreshTopListFolder("bt-damaged");
    std::string image = WithBlock(DefaultTopListImage(), Leicht, TimesBlock({"5.00", "6.00"}));
    image = WithBlock(image, Brutal, TimesBlock({"300.00"}));
    image[3] = 'T';
    WriteWholeFile(path, image);
    testing::internal::CaptureStderr();
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(TopList.place[1].time, "99999.99");
    EXPECT_EQ(PlaceNewTime("7.00"), 1);
    TopList.place[1].name = "Ida";
    SaveTopList();
    EXPECT_EQ(ReadWholeFile(path + ".damaged"), image);
    EXPECT_EQ(EntryAt(ReadWholeFile(path), Leicht, 1), "Ida" + std::string(17, ' ') + "7.00    ");

    WriteWholeFile(path, "damaged again");
    ASSERT_EQ(LoadTopList(Mittel), 1);
    AbandonTopList();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadWholeFile(path + ".damaged"), image);
    EXPECT_EQ(ReadWholeFile(path + ".damaged.2"), "damaged again");
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
}

// When no copy can be made, the damaged file is left as it is and no list is shown.
TEST(TopListFile, ADamagedFileThatCannotBeKeptIsLeftAlone) {
    std::string path = FreshTopListFolder("bt-unkept");
    WriteWholeFile(path, "old lists in another layout");
    WriteWholeFile(path + ".damaged", "earlier");
    for (int n = 2; n <= 100; ++n)
        WriteWholeFile(path + ".damaged." + std::to_string(n), "earlier");
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadTopList(Leicht), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("is left as it is"), std::string::npos);
    EXPECT_EQ(TopListFile.open, 0);
    EXPECT_EQ(ReadWholeFile(path), "old lists in another layout");
}

// A best-time file that can be read but not written (the program folder is read-only) is
// read, and the new time is saved per user with all the other lists; that copy is read next.
TEST(TopListFile, AReadOnlyFileIsReadAndSavedPerUserWithAllItsLists) {
    std::string path = FreshTopListFolder("bt-readonly");
    const std::string folder = path.substr(0, path.size() - 7);
    PrivateUserFolder user(folder);
    std::string image = WithBlock(DefaultTopListImage(), Leicht, TimesBlock({"5.00", "6.00"}));
    image = WithBlock(image, Schwer, TimesBlock({"80.00"}));
    WriteWholeFile(path, image);
    SetProgramFolder(folder);
    DataFiles.programFolderReadOnly = true;
    testing::internal::CaptureStderr();
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(TopList.place[1].time, "5.00    ");
    EXPECT_EQ(PlaceNewTime("5.50"), 2);
    TopList.place[2].name = "Ida";
    SaveTopList();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadWholeFile(path), image) << "the read-only file is not changed";
    const std::string saved = ReadWholeFile(DataFolder() + "TopList");
    ASSERT_EQ(saved.size(), 1124u);
    EXPECT_EQ(EntryAt(saved, Leicht, 2), "Ida" + std::string(17, ' ') + "5.50    ");
    EXPECT_EQ(EntryAt(saved, Leicht, 3), EntryAt(image, Leicht, 2));
    EXPECT_EQ(saved.substr(BlockOffset(Schwer), 280), image.substr(BlockOffset(Schwer), 280));

    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(TopList.place[2].time, "5.50    ");
    AbandonTopList();
}

// A file that has the marker but ends early gets the default bytes it lacks, so its lists
// read as ten entries (no stale bytes) and a save of one block leaves no hole.
TEST(TopListFile, ShortFileWithMarkerIsCompletedWithDefaults) {
    std::string path = FreshTopListFolder("bt-short");
    std::string image = WithBlock(DefaultTopListImage(), Leicht, TimesBlock({"5.00", "6.00"}));
    std::string shortFile = image.substr(0, 4 + 28 + 25); // ends inside the time of place 2
    shortFile[4 + 28 + 20] = '7';                         // "7.00" instead of "6.00"
    WriteWholeFile(path, shortFile);

    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(TopList.place[1].time, "5.00    ");
    EXPECT_EQ(TopList.place[2].time, "7.00 .99"); // the bytes it had, then the default's
    EXPECT_EQ(TopList.place[3].name, "-" + std::string(19, ' '));
    EXPECT_EQ(TopList.place[3].time, "99999.99");
    EXPECT_EQ(PlaceNewTime("99999.99"), 11);
    std::string file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 1124u);
    EXPECT_EQ(file.substr(0, shortFile.size()), shortFile);
    EXPECT_EQ(file.substr(shortFile.size()), DefaultTopListImage().substr(shortFile.size()));

    // Saving the last block of a file that ended in the first one.
    WriteWholeFile(path, shortFile);
    EXPECT_EQ(RankAndSave(Brutal, "300.00", "Lang"), 1);
    file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 1124u);
    EXPECT_EQ(file.find('\0', 1), std::string::npos);
    EXPECT_EQ(EntryAt(file, Brutal, 1), EntryField("Lang", "300.00"));
}

TEST(TopListFile, ZeroBytesAreDroppedAndOddTimesCountByTheirLeadingNumber) {
    std::string path = FreshTopListFolder("bt-odd");
    std::string image = WithBlock(DefaultTopListImage(), Leicht,
                                  {{"A", "x"}, {"B", "3.5e1"}, {"C", "  40.0"}, {"D", "50abc"}});
    image[BlockOffset(Leicht) + 1] = '\0'; // inside the name of place 1
    WriteWholeFile(path, image);
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(TopList.place[1].name, "A" + std::string(18, ' '));
    // "x" reads as 0 and is never displaced; 3.5e1 is 35, "  40.0" is 40, "50abc" is 50.
    EXPECT_EQ(PlaceNewTime("36.00"), 3);
    AbandonTopList();
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(PlaceNewTime("0.00"), 2);
    AbandonTopList();
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(PlaceNewTime("45.00"), 4);
    AbandonTopList();
}

// Values are compared as 32-bit floats: 16777217 and 16777216 are the same float, so the
// new time ties (and goes below) instead of being faster.
TEST(TopListFile, ValuesAreComparedAsSinglePrecision) {
    std::string path = FreshTopListFolder("bt-float");
    WriteWholeFile(path, WithBlock(DefaultTopListImage(), Leicht,
                                   TimesBlock({"16777217", "9e9", "9e9", "9e9", "9e9", "9e9", "9e9",
                                               "9e9", "9e9", "9e9"})));
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(PlaceNewTime("16777216"), 2);
    AbandonTopList();
}

// A time text longer than the 8-byte field takes no place, so it never spills into the next
// entry, even against stored times that are slower.
TEST(TopListFile, OverlongTimeTextTakesNoPlace) {
    std::string path = FreshTopListFolder("bt-long");
    std::string before = WithBlock(
        DefaultTopListImage(), Leicht,
        TimesBlock({"9e9", "9e9", "9e9", "9e9", "9e9", "9e9", "9e9", "9e9", "9e9", "9e9"}));
    WriteWholeFile(path, before);
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(PlaceNewTime("100000.00"), 11);
    EXPECT_EQ(TopListFile.open, 0);
    EXPECT_EQ(ReadWholeFile(path), before);
    ASSERT_EQ(LoadTopList(Leicht), 1);
    EXPECT_EQ(PlaceNewTime("99999999"), 1); // eight bytes still fit
    AbandonTopList();
}

TEST(TopListFile, UnopenableFileFailsAndKeepsNothingOpen) {
    std::string path = FreshTopListFolder("bt-unopenable");
    std::filesystem::create_directory(path); // a folder where the file should be
    EXPECT_EQ(LoadTopList(Leicht), 0);
    EXPECT_EQ(TopListFile.open, 0);
    EXPECT_EQ(LoadTopList(NoDifficulty), 0);
}

// Closing during the name entry: nothing of the new time is written.
TEST(TopListFile, AbandonedEntryWritesNothing) {
    std::string path = FreshTopListFolder("bt-abandon");
    std::string before = WithBlock(DefaultTopListImage(), Mittel, TimesBlock({"50.00"}));
    WriteWholeFile(path, before);
    ASSERT_EQ(LoadTopList(Mittel), 1);
    ASSERT_EQ(PlaceNewTime("40.00"), 1);
    AbandonTopList();
    EXPECT_EQ(TopListFile.open, 0);
    EXPECT_EQ(ReadWholeFile(path), before);
}

// ---------------------------------------------------------------- two instances at once

namespace {

// A second instance of the program on the same folder, with a data-file table and best-time
// state of its own: it loads the list, wins with the time and saves it under the name. This
// instance's state is put back afterwards.
void WinAsOtherInstance(int32_t difficulty, const std::string& time, const std::string& name) {
    const DataFilesRecord files = DataFiles;
    const TopListTable list = TopList, previous = PreviousEntries;
    const int32_t place = PlaceReached;
    const TopListFileRecord file = TopListFile;
    DataFiles = DataFilesRecord{};
    DataFiles.programFolder = files.programFolder;
    ResetBestTimesState();
    EXPECT_LE(RankAndSave(difficulty, time, name), TopListPlaces);
    DataFiles = files;
    TopList = list;
    PreviousEntries = previous;
    PlaceReached = place;
    TopListFile = file;
}

// Names and times of a block's first places, trailing spaces dropped.
std::vector<std::pair<std::string, std::string>> Places(const std::string& file, int32_t difficulty,
                                                        int32_t count) {
    std::vector<std::pair<std::string, std::string>> places;
    for (int32_t p = 1; p <= count; ++p) {
        std::string entry = EntryAt(file, difficulty, p);
        std::string name = entry.substr(0, 20), time = entry.substr(20);
        name.erase(name.find_last_not_of(' ') + 1);
        time.erase(time.find_last_not_of(' ') + 1);
        places.emplace_back(name, time);
    }
    return places;
}

using Rows = std::vector<std::pair<std::string, std::string>>;

} // namespace

TEST(TopListTwoInstances, ASaveOfOneListKeepsWhatTheOtherSavedInAnother) {
    std::string path = FreshTopListFolder("bt-two-lists");
    WriteWholeFile(path, WithBlock(DefaultTopListImage(), Leicht,
                                   {{"Anna", "10.00"}, {"Bert", "20.00"}, {"Carl", "30.00"}}));
    ASSERT_EQ(LoadTopList(Mittel), 1);
    ASSERT_EQ(PlaceNewTime("40.00"), 1);
    WinAsOtherInstance(Leicht, "25.00", "bn");
    TopList.place[1].name = "an";
    SaveTopList();
    const std::string file = ReadWholeFile(path);
    EXPECT_EQ(Places(file, Leicht, 4),
              (Rows{{"Anna", "10.00"}, {"Bert", "20.00"}, {"bn", "25.00"}, {"Carl", "30.00"}}));
    EXPECT_EQ(Places(file, Mittel, 2), (Rows{{"an", "40.00"}, {"-", "99999.99"}}));
}

TEST(TopListTwoInstances, BothNewTimesOfOneListAreRankedIntoIt) {
    std::string path = FreshTopListFolder("bt-one-list");
    WriteWholeFile(path, WithBlock(DefaultTopListImage(), Leicht,
                                   {{"Anna", "10.00"}, {"Bert", "20.00"}, {"Carl", "30.00"}}));
    ASSERT_EQ(LoadTopList(Leicht), 1);
    ASSERT_EQ(PlaceNewTime("15.00"), 2);
    // The other instance saves a faster time and then one equal to this instance's.
    WinAsOtherInstance(Leicht, "12.00", "b1");
    WinAsOtherInstance(Leicht, "15.00", "b2");
    TopList.place[2].name = "an";
    SaveTopList();
    // The screen keeps showing the list as this instance ranked it.
    EXPECT_EQ(TopList.place[2].name, "an");
    // The later save goes below an equal time, as any new time does.
    EXPECT_EQ(Places(ReadWholeFile(path), Leicht, 6), (Rows{{"Anna", "10.00"},
                                                            {"b1", "12.00"},
                                                            {"b2", "15.00"},
                                                            {"an", "15.00"},
                                                            {"Bert", "20.00"},
                                                            {"Carl", "30.00"}}));
}

TEST(TopListTwoInstances, AListThatFilledMeanwhileMayLeaveNoPlace) {
    std::string path = FreshTopListFolder("bt-filled");
    WriteWholeFile(path, DefaultTopListImage());
    ASSERT_EQ(LoadTopList(Schwer), 1);
    ASSERT_EQ(PlaceNewTime("50.00"), 1);
    for (int32_t i = 0; i < TopListPlaces; ++i)
        WinAsOtherInstance(Schwer, std::to_string(10 + i) + ".00", "b" + std::to_string(i));
    TopList.place[1].name = "an";
    SaveTopList();
    EXPECT_EQ(TopListFile.open, 0);
    const Rows places = Places(ReadWholeFile(path), Schwer, TopListPlaces);
    EXPECT_EQ(places.back(), (std::pair<std::string, std::string>{"b9", "19.00"}));
    EXPECT_EQ(std::count_if(places.begin(), places.end(),
                            [](const auto& row) { return row.first == "an"; }),
              0);
}

TEST(TopListTwoInstances, AFirstLoadWithoutPlaceDoesNotResetAListSavedMeanwhile) {
    // Both instances start without a file; this one loads first, the other saves first.
    std::string path = FreshTopListFolder("bt-first-load");
    ASSERT_EQ(LoadTopList(Leicht), 1);
    WinAsOtherInstance(Brutal, "300.00", "bn");
    EXPECT_EQ(PlaceNewTime("99999.99"), TopListPlaces + 1); // no place: the file is closed
    EXPECT_EQ(Places(ReadWholeFile(path), Brutal, 1), (Rows{{"bn", "300.00"}}));

    // The same when the screen is left by the close button during the name entry.
    ASSERT_EQ(LoadTopList(Leicht), 1);
    ASSERT_EQ(PlaceNewTime("30.00"), 1);
    WinAsOtherInstance(Leicht, "40.00", "b2");
    AbandonTopList();
    EXPECT_EQ(Places(ReadWholeFile(path), Leicht, 1), (Rows{{"b2", "40.00"}}));
    EXPECT_EQ(Places(ReadWholeFile(path), Brutal, 1), (Rows{{"bn", "300.00"}}));
}
