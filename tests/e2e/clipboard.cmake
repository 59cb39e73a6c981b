# The smart paste beside other users of the clipboard (a newer copy, a clipboard manager) and
# into a terminal; driven by clipboard_e2e.sh with the paste harness.
add_test(NAME e2e_clipboard
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-in-desktop.sh --
          ${CMAKE_CURRENT_LIST_DIR}/clipboard_e2e.sh $<TARGET_FILE:e2e_harness>)
set_tests_properties(e2e_clipboard PROPERTIES LABELS e2e TIMEOUT 300)
