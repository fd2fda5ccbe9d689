# The music library generator as a library, for bench/ and tests/ alike (both
# include this file; the first defines the target). Its music files are made
# by tests/support/musicfiles.h.
if(NOT TARGET vorqlibrarygen)
  add_library(vorqlibrarygen STATIC ${CMAKE_CURRENT_LIST_DIR}/librarygen.h ${CMAKE_CURRENT_LIST_DIR}/librarygen.cpp)
  target_include_directories(vorqlibrarygen PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../tests/support)
  target_link_libraries(vorqlibrarygen PUBLIC vorqcore)
endif()
