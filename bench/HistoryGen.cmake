# The full-history generator as a library, for bench/ and tests/ alike (both
# include this file; the first defines the target).
if(NOT TARGET vorqhistorygen)
  add_library(vorqhistorygen STATIC ${CMAKE_CURRENT_LIST_DIR}/historygen.h ${CMAKE_CURRENT_LIST_DIR}/historygen.cpp)
  target_include_directories(vorqhistorygen PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(vorqhistorygen PUBLIC vorqcore)
endif()
