# The tournament model on its own, over a store kept in memory.
zuvi_gui_test(tst_tournamentprogress tournament/tst_tournamentprogress.cpp)
