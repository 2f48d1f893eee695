# taloma-basic: the editor's Sort and Re-Number commands on a file, from the command line.
add_executable(taloma-basic ${CMAKE_CURRENT_LIST_DIR}/taloma_basic_main.cpp)
target_link_libraries(taloma-basic PRIVATE taloma_core)
