zuvi_gui_test(tst_fittexts ui/tst_fittexts.cpp)
zuvi_gui_test(tst_listbox ui/tst_listbox.cpp)
zuvi_gui_test(tst_plaintext ui/tst_plaintext.cpp)
