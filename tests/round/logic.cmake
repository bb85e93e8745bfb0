# The round's pure pieces, tested without windows or databases.
zuvi_pure_test(tst_firstdraw round/tst_firstdraw.cpp)
zuvi_pure_test(tst_standingspairing round/tst_standingspairing.cpp)
zuvi_pure_test(tst_rematchpairing round/tst_rematchpairing.cpp)
zuvi_pure_test(tst_roundclock round/tst_roundclock.cpp)
zuvi_pure_test(tst_numbertext round/tst_numbertext.cpp)
zuvi_pure_test(tst_scoring round/tst_scoring.cpp)
