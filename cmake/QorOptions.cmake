# Warnings and sanitizers shared by every target of the project.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(QOR_SANITIZE)
  string(REPLACE ";" "," _qor_sanitizers "${QOR_SANITIZE}")
  add_compile_options(-fsanitize=${_qor_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_qor_sanitizers})
endif()

# qor_add_test(NAME SOURCES... LIBS ...): one test program per area, its cases discovered by CTest.
# (A property value holding ";" would be split apart by the discovery, so each property is one item.)
function(qor_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qor_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
