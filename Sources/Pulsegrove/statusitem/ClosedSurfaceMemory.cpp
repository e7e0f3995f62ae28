#include "statusitem/ClosedSurfaceMemory.h"

#include <QFont>
#include <QPixmapCache>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pulsegrove {

void ClosedSurfaceMemory::release()
{
    QPixmapCache::clear();
    // Drops this thread's font cache; fonts still in use get their engines anew from a fresh one,
    // while engines nobody holds close their faces and unmap their files now.
    QFont::cleanup();
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace pulsegrove
