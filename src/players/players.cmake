# Bringing players in and out: the readers of an old Access player database (mdbtools'
# libmdb) and of CSV files (libcsv), the import and export, the command-line handlers, and
# the preview dialog and menu actions over them.
target_sources(zuvi_model PRIVATE
    players/accessreader.cpp
    players/csvreader.cpp
    players/playercommands.cpp
    players/playerfile.cpp
    players/playerimport.cpp
)
target_sources(zuvi_lib PRIVATE
    players/importpreviewdialog.cpp
    players/playerfileactions.cpp
)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBMDB REQUIRED IMPORTED_TARGET libmdb)
target_link_libraries(zuvi_model PRIVATE PkgConfig::LIBMDB)
