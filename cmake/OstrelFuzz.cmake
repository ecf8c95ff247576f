# The libFuzzer harnesses of tests/fuzz, built with clang by scripts/fuzz
# (-DOSTREL_FUZZ=ON): the library is compiled with coverage for the fuzzer
# and the address and undefined-behaviour sanitizers.
function(ostrel_fuzzer name source)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/${source})
  target_link_libraries(${name} PRIVATE ostrel)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_compile_definitions(${name} PRIVATE OSTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" ${ARGN})
endfunction()

ostrel_fuzzer(fuzz_export fuzz_conversion.cpp OSTREL_FUZZ_INPUT=0)
ostrel_fuzzer(fuzz_symbols fuzz_conversion.cpp OSTREL_FUZZ_INPUT=1)
ostrel_fuzzer(fuzz_settings fuzz_conversion.cpp OSTREL_FUZZ_INPUT=2)
ostrel_fuzzer(fuzz_dxf_reader fuzz_dxf_reader.cpp)
ostrel_fuzzer(fuzz_dwg_reader fuzz_dwg_reader.cpp)
ostrel_fuzzer(fuzz_dwg_reader_nocrc fuzz_dwg_reader.cpp OSTREL_FUZZ_SKIP_CRC)
