# Google's CCTZ as Debian ships it (libcctz-dev): a header folder and a shared library, without
# CMake or pkg-config files of its own.
find_path(CCTZ_INCLUDE_DIR NAMES cctz/time_zone.h)
find_library(CCTZ_LIBRARY NAMES cctz)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(CCTZ REQUIRED_VARS CCTZ_LIBRARY CCTZ_INCLUDE_DIR)

if(CCTZ_FOUND AND NOT TARGET CCTZ::CCTZ)
    add_library(CCTZ::CCTZ UNKNOWN IMPORTED)
    set_target_properties(CCTZ::CCTZ PROPERTIES
        IMPORTED_LOCATION "${CCTZ_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${CCTZ_INCLUDE_DIR}")
endif()
mark_as_advanced(CCTZ_INCLUDE_DIR CCTZ_LIBRARY)
