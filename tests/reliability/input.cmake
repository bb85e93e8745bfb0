# What a person can type, tried in every box of the three windows that takes text.
zuvi_gui_test(tst_badinput reliability/tst_badinput.cpp)
