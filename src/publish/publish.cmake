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
    publish/historydocuments.cpp
    publish/csvexport.cpp
    publish/bigscreen.cpp
    publish/bigscreenowner.cpp
    publish/exportcommand.cpp
    publish/pagecode.cpp
    publish/playercards.cpp
    publish/publishactions.cpp
)

target_link_libraries(zuvi_lib PUBLIC Qt6::PrintSupport)
# The players' page's address as a QR code on the big screen: libqrencode (Debian
# libqrencode-dev), which ships a pkg-config file.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QRENCODE REQUIRED IMPORTED_TARGET libqrencode)
target_link_libraries(zuvi_lib PRIVATE PkgConfig::QRENCODE)
