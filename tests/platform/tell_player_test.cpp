// Tests of telling the player: one message box and one stderr line per kind and run.
#include <gtest/gtest.h>

#include <string>

#include "platform.h"
#include "platform_state.h"
#include "script_platform.h"

namespace {

class TellPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        ScriptReset();
    }
    void TearDown() override {
        ScriptReset();
        ResetPlatformState();
    }
};

// A trouble met again and again (each frame, each sheet) is told once; another kind still
// gets its own box; a new run tells again.
TEST_F(TellPlayerTest, EachKindIsToldOncePerRunInABoxAndOnStderr) {
    testing::internal::CaptureStderr();
    TellPlayer("Bilder fehlen", "Der Ordner /spiel/GFX/ fehlt.");
    TellPlayer("Bilder fehlen", "Der Ordner /spiel/GFX/ fehlt.");
    TellPlayer("Bilder fehlen", "Im Ordner fehlt TileSet.bmp.");
    TellPlayer("Schrift fehlt", "Die Schrift \x84"
                                "Arial\x93 ist nicht zu finden.");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tessaroc: Bilder fehlen: Der Ordner /spiel/GFX/ fehlt.\n"
              "tessaroc: Schrift fehlt: Die Schrift \xE2\x80\x9E"
              "Arial\xE2\x80\x9C ist nicht zu finden.\n");
    ASSERT_EQ(ScriptMessages().size(), 2u);
    EXPECT_EQ(ScriptMessages()[0].title, "Tessaroc: Bilder fehlen");
    EXPECT_EQ(ScriptMessages()[0].text, "Der Ordner /spiel/GFX/ fehlt.");
    EXPECT_EQ(ScriptMessages()[1].title, "Tessaroc: Schrift fehlt");

    ResetPlatformState();
    ScriptReset();
    testing::internal::CaptureStderr();
    TellPlayer("Bilder fehlen", "Der Ordner /spiel/GFX/ fehlt.");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ScriptMessages().size(), 1u);
}

} // namespace
