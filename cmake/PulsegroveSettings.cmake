# Compile settings shared by every target of the project, carried by one INTERFACE target.
add_library(pulsegrove_settings INTERFACE)
target_compile_features(pulsegrove_settings INTERFACE cxx_std_20 c_std_17)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_EXTENSIONS OFF)
target_compile_options(pulsegrove_settings INTERFACE -Wall -Wextra -Werror)
target_compile_definitions(pulsegrove_settings INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CONTEXTLESS_CONNECT)

if(PULSEGROVE_SANITIZE)
    target_compile_options(pulsegrove_settings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(pulsegrove_settings INTERFACE -fsanitize=address,undefined)
endif()
