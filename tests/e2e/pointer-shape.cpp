// pointer-shape: prints the shape of the mouse pointer on $DISPLAY as the X server draws it now,
// "WIDTHxHEIGHT+HOTX+HOTY HASH", so that an end-to-end case can tell one pointer from another.

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdint>
#include <cstdio>

int main()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("pointer-shape: cannot open the display\n", stderr);
        return 1;
    }
    int eventBase = 0;
    int errorBase = 0;
    XFixesCursorImage *image =
        XFixesQueryExtension(display, &eventBase, &errorBase) ? XFixesGetCursorImage(display) : nullptr;
    if (!image) {
        std::fputs("pointer-shape: the X server tells nothing of its pointer (XFixes)\n", stderr);
        XCloseDisplay(display);
        return 1;
    }
    // FNV-1a over the ARGB pixels, which Xlib hands over one in each unsigned long.
    std::uint64_t hash = 14695981039346656037ull;
    for (int i = 0; i < image->width * image->height; ++i) {
        const auto pixel = static_cast<std::uint32_t>(image->pixels[i]);
        for (int shift = 0; shift < 32; shift += 8) {
            hash = (hash ^ ((pixel >> shift) & 0xffu)) * 1099511628211ull;
        }
    }
    std::printf("%dx%d+%d+%d %016llx\n", image->width, image->height, image->xhot, image->yhot,
                static_cast<unsigned long long>(hash));
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
