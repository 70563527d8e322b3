# One static library per source folder. Folders that hold no sources yet are skipped,
# so later modules can be added without touching the build.
set(TEXTLINK_CORE_MODULES "")

function(textlink_module name)
  set(dir "${PROJECT_SOURCE_DIR}/src/${name}")
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h" "${dir}/*.c")
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    return()
  endif()
  set(target textlink_${name})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_compile_definitions(${target} PUBLIC TEXTLINK_VERSION="${PROJECT_VERSION}")
  set(deps "")
  foreach(dep IN LISTS ARGN)
    # A module below that holds no sources yet is skipped as a dependency too.
    if(dep MATCHES "^textlink_" AND NOT TARGET ${dep})
      continue()
    endif()
    list(APPEND deps ${dep})
  endforeach()
  target_link_libraries(${target} PUBLIC ${deps})
  if(name STREQUAL "itunes")
    target_include_directories(${target} PRIVATE "${MBEDTLS_INCLUDE_DIR}")
  endif()
  set(TEXTLINK_CORE_MODULES ${TEXTLINK_CORE_MODULES} ${target} PARENT_SCOPE)
endfunction()

# One test executable per module, built from tests/<name>/*.cpp and the shared main.
function(textlink_test name)
  cmake_parse_arguments(T "WIDGETS" "" "LIBS" ${ARGN})
  set(dir "${CMAKE_CURRENT_SOURCE_DIR}/${name}")
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  if(NOT sources)
    return()
  endif()
  set(target test_${name})
  add_executable(${target} ${sources})
  target_sources(${target} PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/common/testmain.cpp")
  target_link_libraries(${target} PRIVATE textlink_testsupport ${T_LIBS} GTest::gtest GTest::gmock)
  if(T_WIDGETS)
    target_compile_definitions(${target} PRIVATE TEXTLINK_TEST_WIDGETS=1)
    target_link_libraries(${target} PRIVATE Qt6::Widgets)
  endif()
  target_compile_definitions(${target} PRIVATE
    TEXTLINK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TEXTLINK_BINARY_DIR="${PROJECT_BINARY_DIR}"
    TEXTLINK_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    TEXTLINK_CLI_PATH="$<TARGET_FILE:textlink-cli>"
    TEXTLINK_GUI_PATH="$<TARGET_FILE:textlink>")
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${name} TIMEOUT 600)
  # The executables a test drives must be built before it runs.
  add_dependencies(${target} textlink-cli textlink)
endfunction()

# The pictures of the bubble pages ("bubble" and "emoji" folders) are shipped beside a program.
function(textlink_ship_pictures target)
  foreach(folder bubble emoji)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND "${CMAKE_COMMAND}" -E copy_directory
        "${PROJECT_SOURCE_DIR}/res/${folder}" "$<TARGET_FILE_DIR:${target}>/${folder}"
      VERBATIM)
  endforeach()
endfunction()
