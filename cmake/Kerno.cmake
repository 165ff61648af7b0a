# Shared helpers for the subsystem CMake files.

# kerno_add_test(NAME [GUI|WIDGETS] [LOCK resource] SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest program per module; each case becomes a CTest test.
# GUI: main() creates a QGuiApplication first (fonts, pixmaps, the recording
# paint device); WIDGETS: a QApplication (dialogs). Both link ktestsupport
# (tests/support) and replace GTest::gtest_main, whose main() would clash.
# LOCK: cases holding the same resource never run at the same time (ctest -j).
function(kerno_add_test name)
  cmake_parse_arguments(T "GUI;WIDGETS" "LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_WIDGETS)
    set(test_main ktestsupport_widgets_main ktestsupport)
  elseif(T_GUI)
    set(test_main ktestsupport_main ktestsupport)
  else()
    set(test_main GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest ${test_main})
  target_compile_definitions(${name} PRIVATE
    KERNO_SHARED_DATA="${KERNO_SHARED_DATA}"
    KERNO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    KERNO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    KERNO_PROGRAM_DIR="${KERNO_PROGRAM_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  set(lock)
  if(T_LOCK)
    set(lock RESOURCE_LOCK ${T_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/tests"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1" ${lock})
endfunction()

# kerno_add_bench(NAME SOURCES a.cpp LIBS lib1)
function(kerno_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  # uBenchHeap.cpp fixes the heap thresholds for both sides of every comparison.
  add_executable(${name} ${B_SOURCES} "${PROJECT_SOURCE_DIR}/bench/support/uBenchHeap.cpp")
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/bench/support")
  target_compile_definitions(${name} PRIVATE KERNO_SHARED_DATA="${KERNO_SHARED_DATA}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
endfunction()

# Adds every immediate subfolder of the current folder that has a CMakeLists.txt,
# in sorted order (subsystems add their sources to the shared targets).
function(kerno_add_subfolders)
  file(GLOB children RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt")
  list(SORT children)
  foreach(child ${children})
    get_filename_component(dir "${child}" DIRECTORY)
    add_subdirectory(${dir})
  endforeach()
endfunction()

# A library assembled by subfolders may still have no sources while the tree grows.
function(kerno_finish_library target)
  get_target_property(srcs ${target} SOURCES)
  if(NOT srcs)
    file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp" "// no sources yet\n")
    target_sources(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp")
  endif()
endfunction()

# For an app/<subsystem>/ folder: every .cpp below it joins kernocore (model,
# no widgets), except those under a dialogs/ folder, which join kernoui.
function(kerno_app_subsystem)
  file(GLOB_RECURSE all CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  set(model "")
  set(dialogs "")
  foreach(f ${all})
    if(f MATCHES "/dialogs/")
      list(APPEND dialogs "${f}")
    else()
      list(APPEND model "${f}")
    endif()
  endforeach()
  if(model)
    target_sources(kernocore PRIVATE ${model})
  endif()
  if(dialogs)
    target_sources(kernoui PRIVATE ${dialogs})
    target_include_directories(kernoui PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}/dialogs")
  endif()
  target_include_directories(kernocore PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
endfunction()
