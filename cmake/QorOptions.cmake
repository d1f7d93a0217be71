# Warnings and sanitizers shared by every target of the project.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(QOR_SANITIZE)
  string(REPLACE ";" "," _qor_sanitizers "${QOR_SANITIZE}")
  add_compile_options(-fsanitize=${_qor_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_qor_sanitizers})
endif()

# The test programs of the plain C++ core and the end-to-end tests carry the label "thread_checked":
# the ThreadSanitizer pass (preset "tsan") builds and runs exactly these.
set(QOR_THREAD_CHECKED_LABEL thread_checked)

# qor_add_test(NAME [THREAD_CHECKED] SOURCES... LIBS ...): one test program per area, its cases
# discovered by CTest. (A property value holding ";" would be split apart by the discovery, so each
# property is one item.)
function(qor_add_test name)
  cmake_parse_arguments(ARG "THREAD_CHECKED" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qor_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  set(properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  if(ARG_THREAD_CHECKED)
    list(APPEND properties LABELS ${QOR_THREAD_CHECKED_LABEL})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
