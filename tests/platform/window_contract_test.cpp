// The window contract's checks run against the scripted backend, the window of every other test.
#include <algorithm>
#include <vector>

#include "script_platform.h"
#include "window_contract.h"

namespace {

// Plays the window system on the scripted timeline: each action 10 fake milliseconds after
// the last (and after the clock), taken once the clock gets there.
struct ScriptWindowDriver {
    static constexpr int32_t X = 100, Y = 50, W = 370, H = 310;
    static constexpr bool RealClock = false;
    static inline uint32_t lastAt = 0;
    static inline int32_t heldModifiers = 0;

    static void Open() {
        ResetPlatformState();
        ScriptReset();
        lastAt = 0;
        heldModifiers = 0;
        ASSERT_NE(OpenKeyboardDevice(), 0);
        ASSERT_NE(CreateMainWindow(1, X, Y, W, H, StylePopup, "Tessaroc"), 0);
        ASSERT_NE(AttachBackBuffer(850, 600), 0);
    }
    static void Close() {
        ScriptReset();
        ResetPlatformState();
    }
    static uint32_t Next() {
        lastAt = std::max(lastAt, ScriptClock()) + 10;
        return lastAt;
    }
    static void Modifiers(int32_t mask) {
        const int32_t changed = mask ^ heldModifiers;
        for (const auto& [bit, scanCode] :
             {std::pair(MaskShift, 0x2A), std::pair(MaskControl, 0x9D)})
            if ((changed & bit) != 0) {
                if ((mask & bit) != 0)
                    ScriptKeyDown(Next(), scanCode);
                else
                    ScriptKeyUp(Next(), scanCode);
            }
        heldModifiers = mask;
    }
    static void MoveTo(int32_t x, int32_t y) { ScriptMouseMove(Next(), X + x, Y + y); }
    static void Press(int32_t button) { ScriptMouseDown(Next(), button); }
    static void Release(int32_t button) { ScriptMouseUp(Next(), button); }
    static void HoldKey(int32_t scanCode) {
        ScriptKeyDown(Next(), scanCode);
        ScriptSetClock(lastAt);
        SnapshotKeyboard();
    }
    // The scripted window system's focus loss: what the real backends call on it.
    static void LoseFocus() { ReleaseAllKeys(); }
    static void RequestClose() { ScriptCloseRequest(Next()); }
    // Fewer empty polls than make the scripted clock skip ahead.
    static std::vector<TakenEvent> Take(size_t count) {
        ScriptSetClock(std::max(lastAt, ScriptClock()));
        std::vector<TakenEvent> taken;
        for (int32_t empty = 0; taken.size() < count && empty < 3;)
            if (!TakeOneEvent(&taken)) ++empty;
        return taken;
    }
    static uint32_t Shown(int32_t x, int32_t y) {
        const uint32_t colour = uint32_t(ScriptShownPixel(x, y));
        return (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
    }
    static void Geometry(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
        *x = ScriptWindow().x;
        *y = ScriptWindow().y;
        *width = ScriptWindow().width;
        *height = ScriptWindow().height;
    }
    static bool Visible() { return ScriptWindow().visible && !ScriptWindow().closed; }
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Script, WindowContract, ScriptWindowDriver);
