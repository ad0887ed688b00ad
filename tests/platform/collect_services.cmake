# Tests of the services that fetch pages, convert them, keep the settings and sound the alarm.
kv_add_test(tst_url_download tst_url_download.cpp LIBS platform demoservice)
kv_add_test(tst_web_browser tst_web_browser.cpp LIBS platform demoservice)
kv_add_test(tst_profile_file tst_profile_file.cpp LIBS platform)
kv_add_test(tst_collect_services tst_collect_services.cpp LIBS platform_widgets)
add_dependencies(tst_collect_services alarm_wav)
target_compile_definitions(tst_collect_services PRIVATE
                           KV_ALARM_WAV="${CMAKE_BINARY_DIR}/app/alarm.wav")
