# The room's documents, their files and the big screen.
zuvi_pure_test(tst_snapshot publish/tst_snapshot.cpp)
zuvi_pure_test(tst_screenpaging publish/tst_screenpaging.cpp)
zuvi_gui_test(tst_documents publish/tst_documents.cpp)
