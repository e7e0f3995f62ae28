# Compile settings shared by every target of the project, carried by one INTERFACE target.
add_library(pulsegrove_settings INTERFACE)
target_compile_features(pulsegrove_settings INTERFACE cxx_std_20 c_std_17)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_EXTENSIONS OFF)
target_compile_options(pulsegrove_settings INTERFACE -Wall -Wextra)
# Warnings fail the project's own checks (CI turns this on), never a user's build: a newer
# compiler's new warning must not stop someone from building the application.
if(PULSEGROVE_WARNINGS_AS_ERRORS)
    target_compile_options(pulsegrove_settings INTERFACE -Werror)
endif()
target_compile_definitions(pulsegrove_settings INTERFACE QT_NO_CAST_FROM_ASCII)

if(PULSEGROVE_SANITIZE)
    target_compile_options(pulsegrove_settings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(pulsegrove_settings INTERFACE -fsanitize=address,undefined)
endif()
