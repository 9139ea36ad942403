# Dialog classes and control bindings on dialogs made from the program's own resources.
vellory_test(dialogs_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_test.cpp ${CMAKE_CURRENT_LIST_DIR}/bindings_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_text_test.cpp
  LIBS vellory_toolkit_win32 vellory_resources)
