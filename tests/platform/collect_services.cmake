# Tests of the services that fetch pages, convert them, keep the settings and sound the alarm.
kv_add_test(url_download_test url_download_test.cpp LIBS platform demoservice)
kv_add_test(web_browser_test web_browser_test.cpp LIBS platform demoservice)
kv_add_test(profile_file_test profile_file_test.cpp LIBS platform)
kv_add_test(collect_services_test collect_services_test.cpp LIBS platform_widgets)
add_dependencies(collect_services_test alarm_wav)
target_compile_definitions(collect_services_test PRIVATE
                           KV_ALARM_WAV="${CMAKE_BINARY_DIR}/app/alarm.wav")
