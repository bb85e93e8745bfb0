# The registration and round windows driven together: the start, the round window, games
# and round ends.
zuvi_gui_test(tst_tournamentstart round/tst_tournamentstart.cpp)
zuvi_gui_test(tst_tournamentwindow round/tst_tournamentwindow.cpp)
zuvi_gui_test(tst_tournamentgames round/tst_tournamentgames.cpp)
zuvi_gui_test(tst_correction round/tst_correction.cpp)
zuvi_gui_test(tst_entrychanges round/tst_entrychanges.cpp)
zuvi_gui_test(tst_roundresults round/tst_roundresults.cpp)
