# vexel_archiver_library(<target> <file stem> sources...)
# Builds one of Vexel's archiver libraries as <file stem>.so (no "lib" prefix),
# beside the vexel program, exactly where the archiver lookup expects it.
function(vexel_archiver_library target stem)
  add_library(${target} SHARED ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${stem} SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${VEXEL_BIN_DIR}
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
    BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/archivers)
endfunction()

# vexel_sanitize(<target>): AddressSanitizer + UndefinedBehaviorSanitizer for a
# test executable or library whose sources are compiled again just for it.
function(vexel_sanitize target)
  target_compile_options(${target} PRIVATE -fsanitize=address,undefined
    -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(${target} PRIVATE -fsanitize=address,undefined)
endfunction()

# vexel_gtest(<target> sources... LIBS libs...): a GoogleTest executable run by CTest.
function(vexel_gtest target)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main ${ARG_LIBS})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# vexel_qtest(<target> sources... LIBS libs...): a Qt Test executable run offscreen.
function(vexel_qtest target)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE Qt6::Test ${ARG_LIBS})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
