# Database faults tried for every operation, and a tournament killed at random moments.
zuvi_gui_test(tst_dbfaults reliability/tst_dbfaults.cpp)
