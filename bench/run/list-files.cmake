# Driver of bench/run/list-files.sh.
add_executable(list-files-driver ${CMAKE_CURRENT_LIST_DIR}/list-files-driver.cpp)
target_link_libraries(list-files-driver PRIVATE vexel_runcore)
set_target_properties(list-files-driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
