# The smart paste wired through createPlatform(), which the end-to-end scripts drive with
# xdotool (X11) or sway_press (sway) inside a private desktop session.
add_executable(e2e_harness ${CMAKE_CURRENT_LIST_DIR}/e2e_harness.cpp)
target_link_libraries(e2e_harness PRIVATE
  ondrel_paste ondrel_keyboardshortcuts ondrel_rules ondrel_platform_factory Qt6::Widgets)
ondrel_target_warnings(e2e_harness)
