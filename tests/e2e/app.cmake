# The real `ondrel` end to end: tray, panel, single instance, paste, SIGTERM (app_e2e.sh).
add_test(NAME e2e_app
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-in-desktop.sh --
          ${CMAKE_CURRENT_LIST_DIR}/app_e2e.sh $<TARGET_FILE:ondrel>)
set_tests_properties(e2e_app PROPERTIES LABELS e2e TIMEOUT 300)
