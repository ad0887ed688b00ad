# The services of the browser launcher and the start-up registration.
pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0)

kv_add_test(test_windows_command_line "${CMAKE_CURRENT_LIST_DIR}/test_windows_command_line.cpp"
            LIBS platform)
kv_add_test(test_desktop_entry "${CMAKE_CURRENT_LIST_DIR}/test_desktop_entry.cpp" LIBS platform)
kv_add_test(test_xdg_handler "${CMAKE_CURRENT_LIST_DIR}/test_xdg_handler.cpp" LIBS platform)
kv_add_test(test_command_line_starter "${CMAKE_CURRENT_LIST_DIR}/test_command_line_starter.cpp"
            LIBS platform)
kv_add_test(test_shell_registry "${CMAKE_CURRENT_LIST_DIR}/test_shell_registry.cpp"
            LIBS platform PkgConfig::GLIB)
