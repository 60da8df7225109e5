// Every fuzz target compiled as a named entry function, so that the inputs
// the fuzzers found stay replayed in the normal test build.
#define XKM_FUZZ_REPLAY

#include "../../fuzz/a2l.cpp"
#include "../../fuzz/check_agrees_with_lookups.cpp"
#include "../../fuzz/command_line.cpp"
#include "../../fuzz/hex_image.cpp"
#include "../../fuzz/ini_reader.cpp"
#include "../../fuzz/library.cpp"
#include "../../fuzz/library_check.cpp"
#include "../../fuzz/logistic_data.cpp"
#include "../../fuzz/replace_data.cpp"
#include "../../fuzz/template_expansion.cpp"
#include "../../fuzz/text_reader.cpp"
#include "../../fuzz/trace_line.cpp"
