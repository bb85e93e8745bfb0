# Database faults tried for every operation, and a tournament killed at random moments and
# resumed after each kill.
zuvi_gui_test(tst_dbfaults reliability/tst_dbfaults.cpp)

# The scripted organiser that plays a tournament through the real windows in a child
# process, resuming it after each kill, and the test that kills it.
qt_add_executable(zuvi_crashdriver reliability/crashdriver.cpp)
target_link_libraries(zuvi_crashdriver PRIVATE zuvi_testsupport)
zuvi_gui_test(tst_crashsafety reliability/tst_crashsafety.cpp)
add_dependencies(tst_crashsafety zuvi_crashdriver)
target_compile_definitions(tst_crashsafety
    PRIVATE ZUVI_CRASHDRIVER="$<TARGET_FILE:zuvi_crashdriver>")
