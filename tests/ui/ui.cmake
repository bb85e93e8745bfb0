zuvi_gui_test(tst_fittexts ui/tst_fittexts.cpp)
