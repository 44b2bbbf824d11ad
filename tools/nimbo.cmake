# Build helpers shared by the project's CMake files.

# The common library is built twice from the same sources: once for the installer and once for
# the plug-in, which differ by the compile-time definition NIMBO_PLUGIN.
set(NIMBO_VARIANTS installer plugin)

# nimbo_add_common_library(<name> [LINK <libs>...] [SYSTEM_LIBS <libs>...])
# Builds every .cpp of the calling folder into <name>_installer and <name>_plugin.
# LINK names other common libraries by their base name; each variant links the same variant.
function(nimbo_add_common_library name)
  cmake_parse_arguments(ARG "" "" "LINK;SYSTEM_LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(variant IN LISTS NIMBO_VARIANTS)
    set(target ${name}_${variant})
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/common)
    if(variant STREQUAL "plugin")
      target_compile_definitions(${target} PUBLIC NIMBO_PLUGIN)
    endif()
    foreach(lib IN LISTS ARG_LINK)
      target_link_libraries(${target} PUBLIC ${lib}_${variant})
    endforeach()
    target_link_libraries(${target} PUBLIC ${ARG_SYSTEM_LIBS})
  endforeach()
endfunction()

# nimbo_add_gtest_folder(<folder> VARIANTS <variants> LINK <libs> [UI] [UI_FILES <names>...])
# One test program per <name>_test.cpp and variant, named <name>_test_<variant>.exe.
# LINK names common libraries by base name (the variant is appended); LIBS are linked as they are.
# UI marks a folder whose programs open windows (UI_FILES names single programs of a folder that do):
# they share one display and its focus, so they never run at the same time.
function(nimbo_add_gtest_folder folder)
  cmake_parse_arguments(ARG "UI" "" "VARIANTS;LINK;LIBS;UI_FILES" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*_test.cpp)
  foreach(test_source IN LISTS tests)
    get_filename_component(test_name ${test_source} NAME_WE)
    foreach(variant IN LISTS ARG_VARIANTS)
      set(target ${test_name}_${variant})
      add_executable(${target} ${test_source})
      # A test that loads resources by name keeps them in a script of the same name beside it.
      if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/${test_name}.rc)
        target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/${test_name}.rc)
      endif()
      foreach(lib IN LISTS ARG_LINK)
        target_link_libraries(${target} PRIVATE ${lib}_${variant})
      endforeach()
      target_link_libraries(${target} PRIVATE ${ARG_LIBS} test_support_${variant} gtest)
      target_compile_definitions(${target} PRIVATE NIMBO_SOURCE_DIR_UNIX="${PROJECT_SOURCE_DIR}")
      set(props ENVIRONMENT "NIMBO_BUILD_DIR=${PROJECT_BINARY_DIR}")
      if(ARG_UI OR test_name IN_LIST ARG_UI_FILES)
        list(APPEND props RESOURCE_LOCK desktop)
      endif()
      gtest_discover_tests(${target}
        TEST_PREFIX "${variant}."
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES ${props} TIMEOUT 300)
    endforeach()
  endforeach()
endfunction()

# nimbo_add_gtest_program(<target> PREFIX <prefix> SOURCES <files>... [LIBS <libs>...] [SUPPORT <variant>] [UI])
# One GoogleTest program of the platform, the plug-in or their tools; CTest names its tests
# <prefix>.<Suite>.<Test>. SUPPORT names the test-support variant (platform unless given); UI marks a
# program that opens windows, so that it never runs beside another one that does.
function(nimbo_add_gtest_program target)
  cmake_parse_arguments(ARG "UI" "PREFIX;SUPPORT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SUPPORT)
    set(ARG_SUPPORT platform)
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} test_support_${ARG_SUPPORT} gtest)
  target_compile_definitions(${target} PRIVATE NIMBO_SOURCE_DIR_UNIX="${PROJECT_SOURCE_DIR}")
  set(props ENVIRONMENT "NIMBO_BUILD_DIR=${PROJECT_BINARY_DIR}")
  if(ARG_UI)
    list(APPEND props RESOURCE_LOCK desktop)
  endif()
  gtest_discover_tests(${target}
    TEST_PREFIX "${ARG_PREFIX}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${props} TIMEOUT 600)
endfunction()

# The host, its mini apps and the engine live together in one folder, as they would be installed, so
# that the host finds its DLLs beside it and test programs find them on Wine's PATH.
set(NIMBO_BIN_DIR ${PROJECT_BINARY_DIR}/bin)
string(REPLACE "/" "\\" NIMBO_BIN_DIR_WINDOWS "Z:${NIMBO_BIN_DIR}")

# Test programs run under Wine through a wrapper that knows the build's private prefix.
set(NIMBO_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
configure_file(${PROJECT_SOURCE_DIR}/tools/wine-run.in ${PROJECT_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)
