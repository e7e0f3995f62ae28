#pragma once

namespace pulsegrove {

// What a closed surface leaves behind in the process, given back to the system: the pixmap cache
// (card shadows, symbols, the style's pixmaps), the font engines with their FreeType faces and
// mapped font files (the panel's Medium and Bold faces alone are about 9 MB resident), and the
// free pages of the heap, which the C library otherwise keeps for later allocations.
struct ClosedSurfaceMemory {
    ClosedSurfaceMemory() = delete;

    // Whatever is still on screen (the menu, a settings window) gets its fonts and pixmaps again
    // at its next paint.
    static void release();
};

} // namespace pulsegrove
