# Comparing two states of the tournament (pure).
zuvi_pure_test(tst_statechanges tournament/tst_statechanges.cpp)

# The tournament model on its own, over a store kept in memory.
zuvi_gui_test(tst_tournamentprogress tournament/tst_tournamentprogress.cpp)

# The tournament on a shared PostgreSQL server: a private cluster is started for these
# tests and stopped after them, also when they fail. Without a server they fail.
set(ZUVI_TEST_SERVER_ENV ${CMAKE_BINARY_DIR}/test-server.env)
add_test(NAME test_server_start
         COMMAND bash ${CMAKE_SOURCE_DIR}/tools/test-postgres.sh start ${ZUVI_TEST_SERVER_ENV})
add_test(NAME test_server_stop
         COMMAND bash ${CMAKE_SOURCE_DIR}/tools/test-postgres.sh stop ${ZUVI_TEST_SERVER_ENV})
set_tests_properties(test_server_start PROPERTIES FIXTURES_SETUP test_server)
set_tests_properties(test_server_stop PROPERTIES FIXTURES_CLEANUP test_server)

function(zuvi_server_test name source)
    zuvi_gui_test(${name} ${source})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED test_server
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZUVI_TEST_SERVER_ENV=${ZUVI_TEST_SERVER_ENV}"
        RESOURCE_LOCK test_server)
endfunction()

zuvi_server_test(tst_serverstore tournament/tst_serverstore.cpp)
# The command line's --server, run as the installed program is.
target_compile_definitions(tst_serverstore PRIVATE ZUVI_BINARY="$<TARGET_FILE:zuvi>")
add_dependencies(tst_serverstore zuvi)
zuvi_server_test(tst_stations tournament/tst_stations.cpp)
# The stored players of a shared tournament: registration, the editor, import and export.
zuvi_server_test(tst_sharedplayers players/tst_sharedplayers.cpp)
target_compile_definitions(tst_sharedplayers PRIVATE ZUVI_BINARY="$<TARGET_FILE:zuvi>")
add_dependencies(tst_sharedplayers zuvi)

# Tests of the model and of the windows once more, with the tournament on the test server
# (ZUVI_TEST_STORE=server): those whose every case applies to a shared tournament. (The
# resume question, and the faults made with SQLite's own triggers, belong to the files.)
function(zuvi_server_variant name)
    add_test(NAME ${name}_server COMMAND ${name})
    set_tests_properties(${name}_server PROPERTIES FIXTURES_REQUIRED test_server
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZUVI_TEST_SERVER_ENV=${ZUVI_TEST_SERVER_ENV};ZUVI_TEST_STORE=server"
        RESOURCE_LOCK test_server)
endfunction()
foreach(name tst_tournamentprogress tst_registration tst_correction tst_entrychanges
             tst_tournamentwindow)
    zuvi_server_variant(${name})
endforeach()

# The round window's game panel against changes from elsewhere: reports, a second station
# on the server, a game taken back, a station refused.
zuvi_server_test(tst_gamepanel roundwindow/tst_gamepanel.cpp)
