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

# Labels of tests that the test command runs again in a build of their own:
#   sanitize  property tests, in a build with VEXEL_SANITIZE=address,undefined
#   tsan      the library kit's and the encoders' threads, with VEXEL_SANITIZE=thread
# Each label's test programs are collected in a global property, and one target per
# label (vexel_<label>_tests, made by vexel_label_targets) builds just them.
function(vexel_remember_labels target)
  foreach(label ${ARGN})
    set_property(GLOBAL APPEND PROPERTY VEXEL_TESTS_${label} ${target})
    set_property(GLOBAL APPEND PROPERTY VEXEL_TEST_LABELS ${label})
  endforeach()
endfunction()

# vexel_gtest(<target> sources... LIBS libs... [LABELS labels...] [UNLABELLED filter]):
# a GoogleTest executable run by CTest. The tests matching the GoogleTest filter given
# as UNLABELLED get none of the labels (say, big inputs that a sanitizer step would
# take minutes over); their names are listed in <target>_UNLABELLED_TESTS.
function(vexel_gtest target)
  cmake_parse_arguments(ARG "" "UNLABELLED" "LIBS;LABELS" ${ARGN})
  add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main ${ARG_LIBS})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  set(filter "")
  if(ARG_UNLABELLED)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 TEST_FILTER "${ARG_UNLABELLED}"
      TEST_LIST ${target}_UNLABELLED_TESTS PROPERTIES ${properties})
    set(filter TEST_FILTER "-${ARG_UNLABELLED}")
  endif()
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 ${filter} PROPERTIES ${properties})
  vexel_remember_labels(${target} ${ARG_LABELS})
endfunction()

# vexel_qtest(<target> sources... LIBS libs... [LABELS labels...] [TESTS <test> <class> ...]):
# a program of Qt Test classes run offscreen. Each source registers its class with
# VEXEL_QTEST_CLASS (tests/support/QtTestClasses.h); the shared main runs the class its
# first argument names. TESTS pairs a CTest test name with the class it runs, so that
# CTest runs the classes side by side and reports each by name; without TESTS one test
# named <target> runs every class.
function(vexel_qtest target)
  cmake_parse_arguments(ARG "" "" "LIBS;LABELS;TESTS" ${ARGN})
  add_executable(${target} ${ARG_UNPARSED_ARGUMENTS}
    ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE Qt6::Test Qt6::Widgets ${ARG_LIBS})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(names "")
  if(ARG_TESTS)
    set(tests ${ARG_TESTS})
    while(tests)
      list(POP_FRONT tests name class)
      add_test(NAME ${name} COMMAND ${target} ${class})
      list(APPEND names ${name})
    endwhile()
  else()
    add_test(NAME ${target} COMMAND ${target})
    set(names ${target})
  endif()
  set_tests_properties(${names} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(ARG_LABELS)
    set_tests_properties(${names} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  vexel_remember_labels(${target} ${ARG_LABELS})
endfunction()

# One target per test label that builds that label's test programs (and, through their
# dependencies, the libraries they load), so that a sanitizer build compiles no more.
function(vexel_label_targets)
  get_property(labels GLOBAL PROPERTY VEXEL_TEST_LABELS)
  if(labels)
    list(REMOVE_DUPLICATES labels)
  endif()
  foreach(label ${labels})
    get_property(targets GLOBAL PROPERTY VEXEL_TESTS_${label})
    add_custom_target(vexel_${label}_tests DEPENDS ${targets})
  endforeach()
endfunction()

# True in `result` when `file` holds the Q_OBJECT macro.
function(vexel_has_qobject file result)
  set(${result} FALSE PARENT_SCOPE)
  if(EXISTS ${file} AND NOT IS_DIRECTORY ${file})
    file(STRINGS ${file} hits REGEX "Q_OBJECT" LIMIT_COUNT 1)
    if(hits)
      set(${result} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()

# Runs moc only for the targets that need it: those with a source, or a header of the
# same name beside a source, that declares Q_OBJECT. Every other target is spared its
# autogen step and its mocs_compilation unit. Walks every folder below `dir`.
function(vexel_moc_where_needed dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    set(needed FALSE)
    foreach(source ${sources})
      if(needed OR source MATCHES "^\\$<")
        continue()
      endif()
      get_filename_component(path ${source} ABSOLUTE BASE_DIR ${source_dir})
      get_filename_component(folder ${path} DIRECTORY)
      get_filename_component(stem ${path} NAME_WLE)
      foreach(candidate ${path} ${folder}/${stem}.h)
        vexel_has_qobject(${candidate} hit)
        if(hit)
          set(needed TRUE)
        endif()
      endforeach()
    endforeach()
    if(needed)
      set_target_properties(${target} PROPERTIES AUTOMOC ON)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    vexel_moc_where_needed(${subdir})
  endforeach()
endfunction()

# Compiler options for test code: VEXEL_TEST_CODE_OPTIMIZE in optimised configurations
# (a Debug build keeps -O0). Test folders add them with add_compile_options.
function(vexel_test_code_options result)
  set(${result} "" PARENT_SCOPE)
  if(VEXEL_TEST_CODE_OPTIMIZE)
    set(${result} "$<$<NOT:$<CONFIG:Debug>>:${VEXEL_TEST_CODE_OPTIMIZE}>" PARENT_SCOPE)
  endif()
endfunction()

# The level the libraries are built at, in `result`: the build type's own (the last -O
# of its flags), or that of the address sanitizer build.
function(vexel_library_level result)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" type)
  string(REGEX MATCHALL "-O[^ ]*" levels "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${type}}")
  list(POP_BACK levels level)
  if(VEXEL_SANITIZE_OPTIMIZE)
    set(level ${VEXEL_SANITIZE_OPTIMIZE})
  endif()
  set(${result} "${level}" PARENT_SCOPE)
endfunction()

# vexel_library_code_in_test(sources...): sources of a library compiled into a test
# program get back the level the libraries are built at.
function(vexel_library_code_in_test)
  vexel_library_level(level)
  if(level AND VEXEL_TEST_CODE_OPTIMIZE)
    set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS "${level}")
  endif()
endfunction()

# vexel_test_at_library_level(target): a test program whose own code does heavy work
# (a brute-force reference, say) is compiled at the libraries' level, so that it does
# not run many times slower than the code it checks. The definition marks it for the
# optimisation-level test.
function(vexel_test_at_library_level target)
  vexel_library_level(level)
  if(level AND VEXEL_TEST_CODE_OPTIMIZE)
    # SHELL: keeps the option even where an equal one came earlier (CMake drops repeats).
    target_compile_options(${target} PRIVATE "SHELL:${level}")
    target_compile_definitions(${target} PRIVATE VEXEL_TEST_AT_LIBRARY_LEVEL)
  endif()
endfunction()
