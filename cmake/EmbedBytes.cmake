# SPDX-License-Identifier: MIT
# Writes OUTPUT, a C++ source that holds the bytes of INPUT as NAME and NAME##Size.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(SIZE ${INPUT} size)
file(WRITE ${OUTPUT} "// Generated from ${INPUT}\n"
  "extern \"C\" const unsigned char ${NAME}[] = {\n${bytes}};\n"
  "extern \"C\" const unsigned long ${NAME}Size = ${size};\n")
