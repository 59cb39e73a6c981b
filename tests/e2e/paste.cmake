# End-to-end check of the smart paste: the harness wires the real pieces through
# createPlatform(); paste_e2e.sh drives it with xdotool inside a private desktop session.
add_executable(paste_harness ${CMAKE_CURRENT_LIST_DIR}/paste_harness.cpp)
target_link_libraries(paste_harness PRIVATE
  ondrel_paste ondrel_keyboardshortcuts ondrel_rules ondrel_platform_factory Qt6::Widgets)
ondrel_target_warnings(paste_harness)

add_test(NAME e2e_paste
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-in-desktop.sh --
          ${CMAKE_CURRENT_LIST_DIR}/paste_e2e.sh $<TARGET_FILE:paste_harness> 20)
# One browser at a time under ctest -j; the probe lets navigation read the address field.
set_tests_properties(e2e_paste PROPERTIES LABELS e2e TIMEOUT 600 RESOURCE_LOCK browser
  ENVIRONMENT "ONDREL_E2E_PROBE=$<TARGET_FILE:atspi_probe>")
