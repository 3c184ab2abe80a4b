# Warning and sanitizer flags shared by every target of the project.
add_library(quorvex_flags INTERFACE)
target_compile_options(quorvex_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                               -Wno-sign-conversion)
# GCC 12 reports impossible overlaps inside std::string at -O2 and above (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(quorvex_flags INTERFACE -Wno-restrict)
endif()
if(QUORVEX_WERROR)
    target_compile_options(quorvex_flags INTERFACE -Werror)
endif()
if(QUORVEX_SANITIZE)
    target_compile_options(quorvex_flags INTERFACE -fsanitize=address,undefined
                                                   -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(quorvex_flags INTERFACE -fsanitize=address,undefined)
endif()
