// The real window's displays as the window system tells them now, the scale factor on each (how
// many desktop pixels show one pixel of the game), and the window following the display it is
// on: its scale factor and its place in the work area.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "backend.h"
#include "sdl_platform.h"
#include "sdl_state.h"
#include "whole_numbers.h"

namespace {

constexpr double HighDensityDpi = 144; // 150 % of the 96 dots per inch of an ordinary screen

// The value of "Xft.dpi" in the X resources (lines "name:<blanks>value"), 0 when absent.
double XftDpi(const char* resources) {
    static const char Name[] = "Xft.dpi:";
    for (const char* line = resources; line && *line;) {
        if (std::strncmp(line, Name, sizeof Name - 1) == 0)
            return std::strtod(line + sizeof Name - 1, nullptr);
        line = std::strchr(line, '\n');
        if (line) line++;
    }
    return 0;
}

// The part of a that lies in b; no width or height when they do not meet.
DesktopArea Intersection(const DesktopArea& a, const DesktopArea& b) {
    const int32_t left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int32_t right = std::min(a.x + a.width, b.x + b.width);
    const int32_t bottom = std::min(a.y + a.height, b.y + b.height);
    return DesktopArea{left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

// Up to `count` numbers of a root window's property of 32-bit items, from item `first`.
std::vector<long> RootNumbers(Display* d, const char* name, long first, long count) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> numbers;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, name, False), first, count,
                           False, XA_CARDINAL, &type, &format, &items, &after, &data) == Success &&
        data && format == 32)
        numbers.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + items);
    if (data) XFree(data);
    return numbers;
}

// The work area the window manager announces for the current desktop (_NET_WORKAREA), or the
// whole of `screen` without a window manager that announces one.
DesktopArea AnnouncedWorkArea(Display* d, const DesktopArea& screen) {
    const std::vector<long> current = RootNumbers(d, "_NET_CURRENT_DESKTOP", 0, 1);
    const long desktop = current.empty() ? 0 : current.front();
    const std::vector<long> area = RootNumbers(d, "_NET_WORKAREA", desktop * 4, 4);
    if (area.size() < 4 || area[2] <= 0 || area[3] <= 0) return screen;
    return DesktopArea{int32_t(area[0]), int32_t(area[1]), int32_t(area[2]), int32_t(area[3])};
}

// The rectangles of the RandR monitors that show something (each switched-on output, or a
// monitor set up over part of one); the X screen as a whole when there is none: all outputs
// switched off, or a server without RandR.
std::vector<DesktopArea> MonitorsOfScreen(Display* d, DesktopArea* screen) {
    ::Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(d, DefaultRootWindow(d), &root, &x, &y, &width, &height, &border, &depth);
    *screen = DesktopArea{0, 0, int32_t(width), int32_t(height)};
    std::vector<DesktopArea> monitors;
    int count = 0, base = 0, errorBase = 0;
    XRRMonitorInfo* info = XRRQueryExtension(d, &base, &errorBase)
                               ? XRRGetMonitors(d, DefaultRootWindow(d), True, &count)
                               : nullptr;
    for (int i = 0; i < count; i++)
        monitors.push_back(DesktopArea{info[i].x, info[i].y, info[i].width, info[i].height});
    if (info) XRRFreeMonitors(info);
    if (monitors.empty()) monitors.push_back(*screen);
    return monitors;
}

} // namespace

int32_t ChooseScaleFactor(const char* scaleSetting, const char* gdkScale, const char* xResources) {
    if (const int32_t chosen = ParseScaleSetting(scaleSetting)) return chosen;
    if (XftDpi(xResources) >= HighDensityDpi) return 2;
    if (gdkScale && std::strtol(gdkScale, nullptr, 10) >= 2) return 2;
    return 1;
}

// OpenDisplays, the window's placement, DisplayBounds and FollowDisplay: asked anew each
// time, as a change of the screen reaches SDL's own list late or never.
std::vector<SdlDisplay> CurrentDisplays() {
    std::vector<SdlDisplay> displays;
    Display* d = SdlWindow.xDisplay;
    if (!d) {
        // SDL reads the work areas the window manager announces (_NET_WORKAREA).
        const int count = SdlWindow.window ? SDL_GetNumVideoDisplays() : 0;
        for (int i = 0; i < count; i++) {
            SDL_Rect r, work;
            if (SDL_GetDisplayBounds(i, &r) != 0) continue;
            if (SDL_GetDisplayUsableBounds(i, &work) != 0 || work.w <= 0 || work.h <= 0) work = r;
            displays.push_back(
                SdlDisplay{{r.x, r.y, r.w, r.h}, {work.x, work.y, work.w, work.h}, 1});
        }
    } else {
        DesktopArea screen;
        const std::vector<DesktopArea> monitors = MonitorsOfScreen(d, &screen);
        const DesktopArea announced = AnnouncedWorkArea(d, screen);
        for (const DesktopArea& m : monitors) {
            const DesktopArea work = Intersection(m, announced);
            displays.push_back(SdlDisplay{m, work.width > 0 && work.height > 0 ? work : m, 1});
        }
    }
    // The player's TESSAROC_SCALE as it is, else the desktop's factor lowered until the
    // largest window fits the work area.
    for (SdlDisplay& display : displays)
        display.scale = SdlWindow.scaleChosen
                            ? SdlWindow.askedScale
                            : FittingScaleFactor(SdlWindow.askedScale, display.work);
    return displays;
}

// CreateMainWindow in the game's pixels (the game's position is stored in the game's pixels
// of the display it was on), the growing window and FollowDisplay in desktop pixels.
const SdlDisplay* DisplayOfWindow(const std::vector<SdlDisplay>& displays,
                                  const DesktopArea& window, bool inGamePixels) {
    std::vector<DesktopArea> areas;
    for (const SdlDisplay& display : displays)
        areas.push_back(inGamePixels ? InGamePixels(display.bounds, display.scale) : display.work);
    const DesktopArea* area = WorkAreaOfWindow(areas, window);
    return area ? &displays[size_t(area - areas.data())] : nullptr;
}

// The desktop asks for its factor through the X server's resources as they were when the
// display was opened; the events of the root come on the same connection.
void OpenDisplays() {
    Display* d = SdlWindow.xDisplay;
    const char* setting = ScaleSettingOfEnvironment();
    const char* resources = d ? XResourceManagerString(d) : nullptr;
    SdlWindow.scaleChosen = ParseScaleSetting(setting) != 0;
    SdlWindow.askedScale = ChooseScaleFactor(setting, std::getenv("GDK_SCALE"), resources);
    const std::vector<SdlDisplay> displays = CurrentDisplays();
    SdlWindow.scale = displays.empty() ? SdlWindow.askedScale : displays.front().scale;
    if (!d) return;
    XWindowAttributes root;
    if (XGetWindowAttributes(d, DefaultRootWindow(d), &root))
        XSelectInput(d, DefaultRootWindow(d),
                     root.your_event_mask | StructureNotifyMask | PropertyChangeMask);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

// The root window's ConfigureNotify (the screen has a new size) and the change of its
// _NET_WORKAREA.
bool IsDesktopChange(const SDL_SysWMmsg* message) {
    Display* d = SdlWindow.xDisplay;
    if (!d || !message || message->subsystem != SDL_SYSWM_X11) return false;
    const XEvent& e = message->msg.x11.event;
    if (e.type == ConfigureNotify) return e.xconfigure.window == DefaultRootWindow(d);
    return e.type == PropertyNotify && e.xproperty.window == DefaultRootWindow(d) &&
           e.xproperty.atom == XInternAtom(d, "_NET_WORKAREA", False);
}

// Called by sdl_events after a move of the window (the window manager's, or the end of the
// title-bar drag) and after a change of the desktop.
void FollowDisplay(bool fitWhole) {
    if (!SdlWindow.window || SdlWindow.dragging) return;
    int32_t left = 0, top = 0;
    PhysicalWindowPosition(&left, &top);
    int w = 0, h = 0;
    SDL_GetWindowSize(SdlWindow.window, &w, &h);
    const std::vector<SdlDisplay> displays = CurrentDisplays();
    const SdlDisplay* display = DisplayOfWindow(displays, DesktopArea{left, top, w, h}, false);
    if (!display) return;
    const int32_t scale = display->scale;
    if (scale != SdlWindow.scale) {
        w = std::max(w / SdlWindow.scale, 1) * scale;
        h = std::max(h / SdlWindow.scale, 1) * scale;
        SdlWindow.scale = scale;
        SDL_SetWindowSize(SdlWindow.window, w, h);
        ForgetWindowCopy();
        fitWhole = true;
    }
    const DesktopArea placed = FitWindowIntoArea(DesktopArea{left, top, w, h}, display->work);
    if (fitWhole && (placed.x != left || placed.y != top))
        SDL_SetWindowPosition(SdlWindow.window, placed.x, placed.y);
    ForgetServerAnswers();
}
