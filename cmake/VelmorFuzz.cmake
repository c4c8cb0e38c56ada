# Fuzz targets and their corpus replays.
#
# With VELMOR_FUZZ=ON (clang only) every target of the project is compiled with AddressSanitizer,
# UndefinedBehaviorSanitizer and libFuzzer's coverage instrumentation, and each fuzz target
# links libFuzzer's driver. Without it, the same LLVMFuzzerTestOneInput source is linked with
# tests/fuzz/replay_main.cpp into a plain executable. Either way CTest gets a test
# fuzz_replay_<name> that runs the target once over every file of its seed corpus, so the
# corpora are replayed on every test run, sanitizer builds included.

if(VELMOR_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "VELMOR_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    # The libraries need the sanitizers and the coverage hooks too, or the fuzzer is blind
    # inside them; only the fuzz executables link the libFuzzer driver itself.
    add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

set(VELMOR_FUZZ_REPLAY_MAIN ${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz/replay_main.cpp)
# Builds every fuzz target: cmake --build <dir> --target fuzz_targets
add_custom_target(fuzz_targets)

# velmor_add_fuzz_target(<name> SOURCE <file.cpp> [<more sources>...] LIBS <libs...> [CORPUS <dir>...])
#
# Builds the executable fuzz_<name> from SOURCE, which defines LLVMFuzzerTestOneInput, and
# registers the CTest test fuzz_replay_<name>. CORPUS defaults to corpus/<name> beside the
# calling CMakeLists.txt. Adding a target is one line, for example:
#     velmor_add_fuzz_target(exchange SOURCE fuzz_exchange.cpp LIBS velmor_link)
function(velmor_add_fuzz_target name)
    cmake_parse_arguments(arg "" "" "SOURCE;LIBS;CORPUS" ${ARGN})
    if(NOT arg_SOURCE)
        message(FATAL_ERROR "velmor_add_fuzz_target(${name}): SOURCE is required")
    endif()
    if(NOT arg_CORPUS)
        set(arg_CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
    endif()
    set(target fuzz_${name})
    if(VELMOR_FUZZ)
        add_executable(${target} ${arg_SOURCE})
        target_link_options(${target} PRIVATE -fsanitize=fuzzer)
        # -runs=0: run every corpus file once, then stop.
        add_test(NAME fuzz_replay_${name} COMMAND ${target} -runs=0 ${arg_CORPUS})
    else()
        add_executable(${target} ${arg_SOURCE} ${VELMOR_FUZZ_REPLAY_MAIN})
        add_test(NAME fuzz_replay_${name} COMMAND ${target} ${arg_CORPUS})
    endif()
    target_link_libraries(${target} PRIVATE ${arg_LIBS})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    set_tests_properties(fuzz_replay_${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
    add_dependencies(fuzz_targets ${target})
endfunction()
