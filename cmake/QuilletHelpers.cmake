# One library per source folder. Every source file of the folder belongs to it, so adding a
# file needs no edit here. A library sees the headers of its own folder and of the libraries
# it links, and no others: each gets an include folder of its own holding links to exactly
# those source folders, so an include that reaches up a layer fails to build.
function(quillet_library name)
  cmake_parse_arguments(ARG "" "DIR" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${ARG_DIR}/*.cpp
       ${PROJECT_SOURCE_DIR}/src/${ARG_DIR}/*.h ${PROJECT_SOURCE_DIR}/src/${ARG_DIR}/*.qrc)
  set(include_root ${CMAKE_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${include_root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${ARG_DIR} ${include_root}/${ARG_DIR} SYMBOLIC)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${include_root})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${include_root})
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
  endif()
endfunction()

# One test executable per tst_<unit>.cpp of a test folder, run headless by CTest, linking
# the given libraries only.
function(quillet_tests_in_folder folder)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/tst_*.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(unit ${src} NAME_WE)
    add_executable(${unit} ${src})
    target_link_libraries(${unit} PRIVATE ${ARGN} Qt6::Test)
    # The workbook tests run the .xls reader process where the build put it.
    add_dependencies(${unit} quillet-xls-reader)
    target_compile_definitions(${unit} PRIVATE
      QUILLET_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/${folder}/fixtures"
      QUILLET_WORKBOOK_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/store/fixtures"
      QUILLET_DATA_DIR="${PROJECT_SOURCE_DIR}/data"
      QUILLET_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
    set_target_properties(${unit} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${unit} COMMAND ${unit})
    set_tests_properties(${unit} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8"
      TIMEOUT 300)
  endforeach()
endfunction()
