# The about box on the program's own dialog 103, icon 102 and version resource.
vellory_test(about_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/about_test.cpp
  LIBS vellory_toolkit_win32 vellory_resources)
