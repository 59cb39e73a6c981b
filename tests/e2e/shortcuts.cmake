# End-to-end check of the global shortcut: the probe on the real backend, driven by
# shortcuts.sh inside a private desktop session.
add_executable(shortcut_probe ${CMAKE_CURRENT_LIST_DIR}/shortcut_probe.cpp)
target_link_libraries(shortcut_probe PRIVATE
  ondrel_keyboardshortcuts ondrel_platform_factory Qt6::Widgets)
ondrel_target_warnings(shortcut_probe)

add_test(NAME e2e_shortcuts
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-in-desktop.sh --no-a11y --
          ${CMAKE_CURRENT_LIST_DIR}/shortcuts.sh $<TARGET_FILE:shortcut_probe>)
set_tests_properties(e2e_shortcuts PROPERTIES LABELS e2e TIMEOUT 120)
