# The engine, the configuration layer, the scan-file codec, the mount rules and the value
# texts must stay usable without Qt: refuse to configure when one of their sources includes a Qt header.
file(GLOB_RECURSE _quorvex_core_sources
     ${CMAKE_SOURCE_DIR}/src/engine/* ${CMAKE_SOURCE_DIR}/src/common/* ${CMAKE_SOURCE_DIR}/src/config/*
     ${CMAKE_SOURCE_DIR}/src/scanfile/* ${CMAKE_SOURCE_DIR}/src/mounts/*)
foreach(_file IN LISTS _quorvex_core_sources)
    file(STRINGS ${_file} _qt_lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q[A-Za-z]")
    if(_qt_lines)
        message(FATAL_ERROR "Qt include in core source ${_file}: ${_qt_lines}")
    endif()
endforeach()
