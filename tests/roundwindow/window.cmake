# The registration and round windows driven together: the start, the round window, games
# and round ends.
zuvi_gui_test(tst_tournamentstart roundwindow/tst_tournamentstart.cpp)
zuvi_gui_test(tst_tournamentwindow roundwindow/tst_tournamentwindow.cpp)
zuvi_gui_test(tst_tournamentgames roundwindow/tst_tournamentgames.cpp)
zuvi_gui_test(tst_correction roundwindow/tst_correction.cpp)
zuvi_gui_test(tst_entrychanges roundwindow/tst_entrychanges.cpp)
zuvi_gui_test(tst_roundresults roundwindow/tst_roundresults.cpp)
zuvi_gui_test(tst_reportsdesk roundwindow/tst_reportsdesk.cpp)
