# Build step: puts the merged menu texts (made after configuring) into a C++ source.
# Usage: cmake -DINPUT=... -DTEMPLATE=entry_texts.cpp.in -DOUTPUT=... -P embed_entry_texts.cmake
file(READ ${INPUT} QUILLMARK_ENTRY_TEXTS)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
