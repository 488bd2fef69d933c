# Shared compile settings and helpers for every target of the project.

add_compile_options(-Wall -Wextra)

# All text in the program is GBK. gcc converts UTF-8 literals to the
# execution character set. GB18030 is used rather than GBK itself: it encodes
# every GBK character with the same two bytes, and unlike GBK it can also hold
# the micro sign that the C++20 <chrono> header puts in a literal, which GBK
# cannot represent. clang only knows UTF-8, so the clang (fuzzing) build keeps
# UTF-8 literals: the parsers it exercises treat text as opaque bytes.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-fexec-charset=GB18030)
  set(KBZN_GBK_LITERALS ON)
else()
  set(KBZN_GBK_LITERALS OFF)
endif()

if(KBZN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # The programs of this tree are linked at a fixed address. Instrumented
  # and position-independent, a test program carries over a million
  # relocations that the loader applies at every start, a third of a
  # second of CPU, and CTest starts one process for each test.
  add_link_options(-no-pie)
endif()
if(KBZN_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
# The sanitizer and fuzzing trees are run, not debugged: their reports need
# each frame's function, file and line, which line tables (-g1) give, not
# the types and variables of full debug information, which doubled the
# compiler's and the linker's work. Without the sanitizers, gcc links only
# the shared libraries a program uses; with them it links every one named,
# and each test process then loads and relocates them all at its start.
if(KBZN_SANITIZE OR KBZN_TSAN OR KBZN_FUZZ)
  foreach(lang C CXX)
    string(REGEX REPLACE "(^| )-g( |$)" "\\1-g1\\2" CMAKE_${lang}_FLAGS_RELWITHDEBINFO
      "${CMAKE_${lang}_FLAGS_RELWITHDEBINFO}")
  endforeach()
  add_link_options(LINKER:--as-needed)
endif()
if(KBZN_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KBZN_FUZZ needs clang (CXX=clang++)")
  endif()
  # Every library is instrumented for coverage; the fuzzer main is linked
  # only into the fuzz targets. Undefined behaviour stops the run, so that
  # the fuzzer keeps the input as a finding instead of printing and going on.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# kbzn_library(name SOURCES ... [DEPS ...] [PUBLIC_DEPS ...])
# One library target per folder; includes are relative to the source root
# ("net/ByteBuffer.h").
function(kbzn_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PUBLIC_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_DEPS})
endfunction()

# kbzn_test(name LABEL label SOURCES ... [DEPS ...] [PROPERTIES ...])
# A GoogleTest program whose tests CTest discovers and labels by subsystem;
# PROPERTIES are further test properties of every test it holds (a fixture
# they need, its environment). The logs of the programs under test stay in
# the build tree, out of the user's state directory (set as a modification,
# so that an ENVIRONMENT among the PROPERTIES does not replace it). A
# parametrised test's CTest name is its GoogleTest name (the case's name),
# never the printed parameter, whose bytes hold addresses that change from
# build to build.
function(kbzn_test name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;DEPS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  # Under the sanitizers the test code itself is compiled for speed of
  # compiling (the GoogleTest macros make large functions that -O2 works hard
  # on for little gain); the code under test keeps its own flags.
  if(KBZN_SANITIZE OR KBZN_TSAN)
    target_compile_options(${name} PRIVATE -Og)
  endif()
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT 600
      ENVIRONMENT_MODIFICATION "XDG_STATE_HOME=set:${PROJECT_BINARY_DIR}/test-state" ${ARG_PROPERTIES}
    NO_PRETTY_VALUES
    DISCOVERY_TIMEOUT 60)
endfunction()

# kbzn_fuzz(name LABEL label SOURCES ... DEPS ...)
# In the clang fuzzing build: a libFuzzer program, one of the fuzz_targets
# (what the test command builds there). In the ordinary build: the
# same entry point linked with a replay driver and run by CTest over the seed
# corpus in fuzz/corpus/<name>, so an input that once crashed stays fixed.
function(kbzn_fuzz name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;DEPS" ${ARGN})
  if(KBZN_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzz_targets ${name})
  elseif(KBZN_TESTS)
    add_executable(${name}_replay ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    target_link_libraries(${name}_replay PRIVATE ${ARG_DEPS})
    add_test(NAME fuzz_replay.${name}
      COMMAND ${name}_replay ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    set_tests_properties(fuzz_replay.${name} PROPERTIES LABELS "${ARG_LABEL};fuzz")
  endif()
endfunction()

# kbzn_bench(name SOURCES ... DEPS ...): a Google Benchmark program, built
# with the rest and run by scripts/bench.sh.
function(kbzn_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
endfunction()
