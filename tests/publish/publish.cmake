# The room's documents, their files and the big screen.
zuvi_pure_test(tst_snapshot publish/tst_snapshot.cpp)
zuvi_pure_test(tst_screenpaging publish/tst_screenpaging.cpp)
zuvi_gui_test(tst_documents publish/tst_documents.cpp)
zuvi_gui_test(tst_bigscreen publish/tst_bigscreen.cpp)
zuvi_gui_test(tst_publishactions publish/tst_publishactions.cpp)
# The command-line export, run as the installed program is: the built binary in a child.
zuvi_gui_test(tst_exportcommand publish/tst_exportcommand.cpp)
target_compile_definitions(tst_exportcommand PRIVATE ZUVI_BINARY="$<TARGET_FILE:zuvi>")
add_dependencies(tst_exportcommand zuvi)
# The big screen beside the organiser's windows and brought back by a resume.
zuvi_gui_test(tst_bigscreenwindows publish/tst_bigscreenwindows.cpp)
