# The list maintenance commands.
kv_add_test(test_maintenance "${CMAKE_CURRENT_LIST_DIR}/test_maintenance.cpp" LIBS visitors)
