# The registration window's start-up: resuming a stored tournament and upgrading an older
# Tourny.db.
zuvi_gui_test(tst_resume registration/tst_resume.cpp)
zuvi_gui_test(tst_dropplayer registration/tst_dropplayer.cpp)
