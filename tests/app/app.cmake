# The command line, run as the installed program is: the built binary in a child process.
qt_add_executable(tst_cmdline app/tst_cmdline.cpp)
target_link_libraries(tst_cmdline PRIVATE Qt6::Core Qt6::Network Qt6::Test)
target_include_directories(tst_cmdline PRIVATE ${ZUVI_TESTS_DIR})
target_compile_definitions(tst_cmdline PRIVATE ZUVI_BINARY="$<TARGET_FILE:zuvi>"
                                               ZUVI_VERSION_TEXT="${PROJECT_VERSION}")
add_dependencies(tst_cmdline zuvi)
add_test(NAME tst_cmdline COMMAND tst_cmdline)
