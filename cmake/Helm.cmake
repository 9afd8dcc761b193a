# Module helpers. A module is a folder with src/, include/ and tests/.

# helm_library(<target> [PLUGIN] DEPS <targets...> [PRIVATE_DEPS <targets...>])
# A shared library of the suite from <folder>/src/*.cpp, exporting
# <folder>/include.
function(helm_library target)
  cmake_parse_arguments(ARG "PLUGIN" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp)
  if(ARG_PLUGIN)
    add_library(${target} MODULE ${sources})
  else()
    add_library(${target} SHARED ${sources})
  endif()
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  install(TARGETS ${target} LIBRARY DESTINATION . RUNTIME DESTINATION .)
endfunction()

# helm_program(<target> SOURCES <files...> DEPS <targets...>)
function(helm_program target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS})
  install(TARGETS ${target} RUNTIME DESTINATION .)
endfunction()

# helm_tests(<module> [DIR <folder>] DEPS <targets...>)
# One GoogleTest program <module>_tests from <folder>/*.cpp (default: the
# current tests/ folder), each test registered with CTest under the label
# <module>, so `ctest -L <module>` runs that module alone.
function(helm_tests module)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp)
  set(target ${module}_tests)
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} helm_testmain GTest::gtest GTest::gmock)
  # One label per test: the discovery script flattens the property list, so
  # a second label would swallow the time-out. `ctest -L kernel` matches
  # "kernel_processes" too, as labels are patterns.
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${module} TIMEOUT 120)
endfunction()

# helm_resources(<target> <script.rc> [INCLUDE_DIRS <dirs...>])
# Compiles a resource script with helm-rc into a C++ source added to the
# target, whose resources it then holds (FindResource, LoadString on the
# target's module handle). The script, the headers it includes and the
# images it names are dependencies, so a change to any of them rebuilds.
function(helm_resources target script)
  cmake_parse_arguments(ARG "" "" "INCLUDE_DIRS" ${ARGN})
  get_filename_component(script_path ${script} ABSOLUTE)
  get_filename_component(script_name ${script} NAME_WE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_${script_name}_rc.cpp)
  set(include_flags)
  foreach(dir IN LISTS ARG_INCLUDE_DIRS)
    get_filename_component(dir ${dir} ABSOLUTE)
    list(APPEND include_flags -I ${dir})
  endforeach()
  add_custom_command(OUTPUT ${output}
    COMMAND helm-rc ${include_flags} -o ${output} -d ${output}.d ${script_path}
    DEPENDS helm-rc ${script_path}
    DEPFILE ${output}.d
    COMMENT "Compiling resources ${script}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
  target_link_libraries(${target} PRIVATE helm_user)
endfunction()
