# What leaves the application for the room: the documents, print, PDF, CSV, the big screen.
# Included by src/CMakeLists.txt after the two libraries are defined.

# The pure part (what a document holds, the order of names and slips, the big screen's
# paging and clock colours) depends on QtCore only.
target_sources(zuvi_logic PRIVATE
    publish/snapshot.cpp
    publish/screenpaging.cpp
)

target_sources(zuvi_lib PRIVATE
    publish/documents.cpp
    publish/csvexport.cpp
    publish/bigscreen.cpp
    publish/exportcommand.cpp
    publish/publishactions.cpp
)

# CSV quoting through libcsv (Debian libcsv-dev), which ships no CMake or pkg-config file.
find_path(LIBCSV_INCLUDE_DIR csv.h REQUIRED)
find_library(LIBCSV_LIBRARY NAMES csv REQUIRED)
target_include_directories(zuvi_lib PRIVATE ${LIBCSV_INCLUDE_DIR})
target_link_libraries(zuvi_lib PUBLIC Qt6::PrintSupport PRIVATE ${LIBCSV_LIBRARY})
