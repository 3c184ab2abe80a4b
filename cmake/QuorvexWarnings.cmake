# Warning and sanitizer flags shared by every target of the project.
add_library(quorvex_flags INTERFACE)
target_compile_options(quorvex_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                               -Wno-sign-conversion)
if(QUORVEX_WERROR)
    target_compile_options(quorvex_flags INTERFACE -Werror)
endif()
if(QUORVEX_SANITIZE)
    target_compile_options(quorvex_flags INTERFACE -fsanitize=address,undefined
                                                   -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(quorvex_flags INTERFACE -fsanitize=address,undefined)
endif()
