# The players' page: the server's answers, and the page in a headless browser.
zuvi_pure_test(tst_reportwaits page/tst_reportwaits.cpp)
zuvi_gui_test(tst_pageserver page/tst_pageserver.cpp)
target_link_libraries(tst_pageserver PRIVATE Qt6::Network)
zuvi_gui_test(tst_pagebrowser page/tst_pagebrowser.cpp)
target_link_libraries(tst_pagebrowser PRIVATE Qt6::Network)
set_tests_properties(tst_pagebrowser PROPERTIES TIMEOUT 300)
