zuvi_gui_test(tst_backup data/tst_backup.cpp)
