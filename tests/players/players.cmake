# Bringing players in and out: the readers, the import and the export through the real
# code over a temporary install, and the two menu commands driven in the player editor.
zuvi_gui_test(tst_playerimport players/tst_playerimport.cpp)
zuvi_gui_test(tst_playerfileactions players/tst_playerfileactions.cpp)
# The legacy Access file that came with the brief; tests copy it before use.
set(ZUVI_PLAYER_FIXTURES ${CMAKE_SOURCE_DIR}/../shared/fixtures)
foreach(test tst_playerimport tst_playerfileactions)
    target_compile_definitions(${test} PRIVATE
        ZUVI_LEGACY_MDB="${ZUVI_PLAYER_FIXTURES}/legacy-players.mdb"
        ZUVI_BINARY="$<TARGET_FILE:zuvi>")
    add_dependencies(${test} zuvi)
endforeach()
