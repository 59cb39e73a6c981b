# End to end on headless sway as an unprivileged user (run-in-sway.sh): the wlroots backend
# through the same harness as the X11 checks, with presses from sway_press.
if(TARGET ondrel_platform_wayland)
  add_executable(sway_press ${CMAKE_CURRENT_LIST_DIR}/sway_press.cpp)
  target_link_libraries(sway_press PRIVATE ondrel_platform_wayland)
  ondrel_target_warnings(sway_press)

  add_test(NAME e2e_sway
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-in-sway.sh --
            ${CMAKE_CURRENT_LIST_DIR}/sway_e2e.sh $<TARGET_FILE:e2e_harness>
            $<TARGET_FILE:sway_press> 5)
  # It starts Firefox: one browser at a time under ctest -j.
  set_tests_properties(e2e_sway PROPERTIES LABELS e2e TIMEOUT 300 RESOURCE_LOCK browser)
endif()
