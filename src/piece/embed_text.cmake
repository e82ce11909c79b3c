# Writes OUTPUT, a C++ source defining piece::builtin_piece_text as the bytes of INPUT.
file(READ ${INPUT} bytes HEX)
string(LENGTH "${bytes}" hex_length)
math(EXPR length "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," chars "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Made at build time from ${INPUT}.\n"
  "#include \"piece/builtin_piece.hpp\"\n"
  "namespace piece {\n"
  "namespace {\nconstexpr char bytes[] = {${chars} '\\0'};\n}\n"
  "const std::string_view builtin_piece_text(bytes, ${length});\n"
  "}\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
