# The club's history: league tables and ranks as pure logic, the archive written with the
# last round's end.
zuvi_gui_test(tst_league history/tst_league.cpp)
zuvi_gui_test(tst_archive history/tst_archive.cpp)
zuvi_gui_test(tst_historywindow history/tst_historywindow.cpp)
zuvi_gui_test(tst_playerrecord history/tst_playerrecord.cpp)
