# Driver of bench/run/cpu-wait.sh.
add_executable(cpu-wait-driver ${CMAKE_CURRENT_LIST_DIR}/cpu-wait-driver.cpp)
target_link_libraries(cpu-wait-driver PRIVATE vexel_platform vexel_runcore Qt6::Core)
set_target_properties(cpu-wait-driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
