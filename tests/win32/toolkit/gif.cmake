# Pictures and owner-drawn menus on memory device contexts, with the test's own "PICT" resources.
vellory_test(picture_menu_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/picture_test.cpp ${CMAKE_CURRENT_LIST_DIR}/owner_menu_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/pictures.rc
  LIBS vellory_toolkit_win32)
