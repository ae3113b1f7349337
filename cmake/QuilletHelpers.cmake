# Every source file of a folder belongs to its library, so adding a file needs no edit here.
function(quillet_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;LIBS" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# One test executable per tst_<unit>.cpp, run headless by CTest.
function(quillet_tests_in_folder folder)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/tst_*.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(unit ${src} NAME_WE)
    add_executable(${unit} ${src})
    target_link_libraries(${unit} PRIVATE quillet_gui quillet_testsupport Qt6::Test)
    target_compile_definitions(${unit} PRIVATE
      QUILLET_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/${folder}/fixtures"
      QUILLET_DATA_DIR="${PROJECT_SOURCE_DIR}/data"
      QUILLET_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
    set_target_properties(${unit} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${unit} COMMAND ${unit})
    set_tests_properties(${unit} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8"
      TIMEOUT 300)
  endforeach()
endfunction()
