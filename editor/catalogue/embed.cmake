# Writes OUTPUT, a C++ source that holds the catalogue file INPUT as one string, byte for byte.
file(READ ${INPUT} text)
string(FIND "${text}" ")catalogue\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the end mark of the string it is compiled into")
endif()
file(WRITE ${OUTPUT}.new "// Made from ${INPUT} at build time; edit that file, not this one.\n"
  "namespace catalogue {\nextern const char kCatalogueText[];\n"
  "const char kCatalogueText[] = R\"catalogue(${text})catalogue\";\n}  // namespace catalogue\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
