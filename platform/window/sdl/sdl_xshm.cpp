// The window's frames in a shared-memory image of our own (X11 with MIT-SHM), of the window's
// size. SDL's window surface waits for the X server's answer after every send, a round trip
// each frame; this image is sent without waiting. The present copies the changed rows into it
// (enlarged by the scale). The server tells when it has read a send; the present makes sure
// it has before the next frame is copied into the image, so the window never shows a frame
// half drawn.
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "backend.h"
#include "sdl_platform.h"
#include "sdl_state.h"

// The image, its shared segment and the same pixels as an SDL surface for the present.
struct SdlSharedImage {
    XShmSegmentInfo segment{};      // attached by us and by the X server
    XImage* image = nullptr;        // 32-bit 0x00RRGGBB pixels, the window's size or the
                                    // back buffer's
    GC gc = nullptr;                // the context of the sends
    SDL_Surface* surface = nullptr; // the image's pixels, the present's target
    bool sendPending = false;       // the server may not have read the last send yet
    int completion = 0;             // type of the event that says the server read a send
};

namespace {

// Set by the error handler while the X server is asked to attach the segment.
bool attachRefused = false;

int OnAttachError(Display*, XErrorEvent*) {
    attachRefused = true;
    return 0;
}

// Frees what MakeSharedImage got so far; the X server lets go of an attached segment first.
void FreeSharedImage(SdlSharedImage* shared, bool attached) {
    Display* display = SdlWindow.xDisplay;
    if (attached) {
        XShmDetach(display, &shared->segment);
        XSync(display, False);
    }
    if (shared->surface) SDL_FreeSurface(shared->surface);
    if (shared->gc) XFreeGC(display, shared->gc);
    if (shared->segment.shmaddr) shmdt(shared->segment.shmaddr);
    if (shared->image) {
        shared->image->data = nullptr; // the segment, not Xlib's memory
        XDestroyImage(shared->image);
    }
    delete shared;
}

// An image of w x h pixels in a segment shared with the X server, or null when the server
// cannot take one: not on this machine, no MIT-SHM, or a window whose pixels are not 32-bit
// 0x00RRGGBB.
SdlSharedImage* MakeSharedImage(int w, int h) {
    Display* display = SdlWindow.xDisplay;
    const Window window = SdlWindow.xWindow;
    XWindowAttributes attributes{};
    if (!XShmQueryExtension(display) || !XGetWindowAttributes(display, window, &attributes))
        return nullptr;
    const Visual* visual = attributes.visual;
    if (visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF)
        return nullptr;
    auto* shared = new SdlSharedImage;
    XImage* image = XShmCreateImage(display, attributes.visual, unsigned(attributes.depth), ZPixmap,
                                    nullptr, &shared->segment, unsigned(w), unsigned(h));
    shared->image = image;
    const bool usable = image && image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
    const int id =
        usable ? shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * size_t(h), IPC_CREAT | 0600)
               : -1;
    void* address = id < 0 ? nullptr : shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) address = nullptr;
    shared->segment.shmid = id;
    shared->segment.shmaddr = static_cast<char*>(address);
    if (image) image->data = shared->segment.shmaddr;
    bool attached = false;
    if (address) {
        // A server elsewhere refuses the attach with an error, which comes only after a sync.
        XSync(display, False);
        attachRefused = false;
        auto* previous = XSetErrorHandler(OnAttachError);
        attached = XShmAttach(display, &shared->segment) != 0;
        XSync(display, False);
        XSetErrorHandler(previous);
        attached = attached && !attachRefused;
    }
    // The segment goes away once both sides let go of it, also if the program is killed.
    if (id >= 0) shmctl(id, IPC_RMID, nullptr);
    if (attached) {
        shared->completion = XShmGetEventBase(display) + ShmCompletion;
        shared->gc = XCreateGC(display, window, 0, nullptr);
        shared->surface = SDL_CreateRGBSurfaceWithFormatFrom(
            address, w, h, 32, image->bytes_per_line, SDL_PIXELFORMAT_RGB888);
    }
    if (attached && shared->gc && shared->surface) return shared;
    FreeSharedImage(shared, attached);
    return nullptr;
}

} // namespace

SDL_Surface* SharedFrameSurface() {
    if (!SdlWindow.xDisplay || !SdlWindow.sharingAllowed) return nullptr;
    int w = 0, h = 0;
    SDL_GetWindowSize(SdlWindow.window, &w, &h);
    if (w <= 0 || h <= 0) return nullptr;
    SdlSharedImage* shared = SdlWindow.shared;
    if (shared && shared->surface->w == w && shared->surface->h == h) return shared->surface;
    DropSharedFrame();
    SdlWindow.shared = MakeSharedImage(w, h);
    if (!SdlWindow.shared) {
        SdlWindow.sharingAllowed = false;
        return nullptr;
    }
    ForgetWindowCopy();
    return SdlWindow.shared->surface;
}

void SendSharedRects(const SDL_Rect* rects, int count) {
    SdlSharedImage* shared = SdlWindow.shared;
    Display* display = SdlWindow.xDisplay;
    for (int i = 0; i < count; ++i) {
        const bool last = i == count - 1; // the server tells when it has read the last one
        XShmPutImage(display, SdlWindow.xWindow, shared->gc, shared->image, rects[i].x, rects[i].y,
                     rects[i].x, rects[i].y, unsigned(rects[i].w), unsigned(rects[i].h),
                     last ? True : False);
    }
    shared->sendPending = count > 0;
    XFlush(display);
}

void FinishSharedSend() {
    SdlSharedImage* shared = SdlWindow.shared;
    if (!shared || !shared->sendPending) return;
    shared->sendPending = false;
    Display* display = SdlWindow.xDisplay;
    XEvent event;
    // Mostly read long ago, during the pacing sleep; else the server is asked to catch up.
    if (!XCheckTypedEvent(display, shared->completion, &event)) {
        XSync(display, False);
        XCheckTypedEvent(display, shared->completion, &event);
    }
}

void DropSharedFrame() {
    if (!SdlWindow.shared) return;
    FreeSharedImage(SdlWindow.shared, true);
    SdlWindow.shared = nullptr;
}

void SdlAllowSharedFrames(bool allowed) {
    DropSharedFrame();
    SdlWindow.sharingAllowed = allowed;
}

void* SdlNativeDisplay() {
    return SdlWindow.xDisplay;
}
