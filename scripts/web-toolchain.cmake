# Builds for the web with Debian's Emscripten, against the libraries
# scripts/web.sh builds into build-web/prefix.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

get_filename_component(libraries "${CMAKE_CURRENT_LIST_DIR}/../build-web/prefix" ABSOLUTE)
list(APPEND CMAKE_FIND_ROOT_PATH "${libraries}")
