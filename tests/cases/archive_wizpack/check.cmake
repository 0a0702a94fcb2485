# Runs the packing tool and checks what it writes and what it refuses.
#
#   cmake -DWIZPACK=<wizpack executable> [-DEMULATOR=<wine>] -DWORK_DIR=<scratch dir>
#         -DCASE=roundtrip|refusals -P check.cmake
#
# The scratch directory is created fresh and removed at the end, also when a check fails.

cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

function(fail message)
  file(REMOVE_RECURSE "${WORK_DIR}")
  message(FATAL_ERROR "${message}")
endfunction()

# Runs wizpack in the scratch directory; sets RC, OUT and ERR (carriage returns removed).
function(wizpack)
  execute_process(COMMAND ${EMULATOR} "${WIZPACK}" ${ARGN}
                  WORKING_DIRECTORY "${WORK_DIR}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" out "${out}")
  string(REPLACE "\r" "" err "${err}")
  set(RC "${rc}" PARENT_SCOPE)
  set(OUT "${out}" PARENT_SCOPE)
  set(ERR "${err}" PARENT_SCOPE)
endfunction()

function(expect_equal what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    fail("${what}:\n--- expected\n${expected}\n--- actual\n${actual}")
  endif()
endfunction()

# Bytes of a file at [offset, offset + length) as hex.
function(read_hex file offset length var)
  file(READ "${WORK_DIR}/${file}" hex OFFSET ${offset} LIMIT ${length} HEX)
  set(${var} "${hex}" PARENT_SCOPE)
endfunction()

# 15 bytes that start as a Windows executable does ("MZ"): enough for the tool, which packs
# any executable onto which no branding is asked.
file(WRITE "${WORK_DIR}/stub.exe" "MZSTUB-EXECUTAB")
file(WRITE "${WORK_DIR}/setup.tag" "INSTRUCTIONS:\nINITIALIZE_UI\n/:\n")  # 31 bytes
file(WRITE "${WORK_DIR}/app.jar" "JARBYTES")  # 8 bytes
file(WRITE "${WORK_DIR}/empty.bin" "")

if(CASE STREQUAL "roundtrip")
  wizpack(--help)
  expect_equal("--help exit code" "${RC}" "0")
  if(NOT OUT MATCHES "wizpack -o OUTPUT \\[--style N\\] BASE \\[ENTRY\\]")
    fail("--help shows no usage:\n${OUT}")
  endif()

  file(WRITE "${WORK_DIR}/launcher.exe" "an older launcher")
  wizpack(-o launcher.exe --style 7 stub.exe
          --type instructions setup.tag
          --type 6 --id 4294967295 --name wizard.jar --compressed 3 4096 app.jar
          --type launcher --id 12 empty.bin)
  expect_equal("pack exit code (${ERR})" "${RC}" "0")
  if(EXISTS "${WORK_DIR}/launcher.exe.wizpack-tmp")
    fail("the temporary output was left behind")
  endif()

  wizpack(--list launcher.exe)
  expect_equal("--list exit code (${ERR})" "${RC}" "0")
  expect_equal("--list output" "${OUT}"
"style 7
entries 3
0 type=0 id=0 offset=15 length=31 name=setup.tag
1 type=6 id=4294967295 offset=46 length=8 name=wizard.jar compressed=3/4096
2 type=7 id=12 offset=54 length=0 name=empty.bin
")

  # The image is copied unchanged, each entry's bytes stand at its offset, and the file ends
  # with the style byte, the index offset (54) and the identification.
  read_hex(launcher.exe 0 15 image)
  expect_equal("image" "${image}" "4d5a535455422d4558454355544142")
  read_hex(launcher.exe 46 8 jar)
  expect_equal("entry bytes" "${jar}" "4a41524259544553")
  file(SIZE "${WORK_DIR}/launcher.exe" size)
  # entries end at 54; index: count 4 + records (16 + 9) + (16 + 10 + 8) + (16 + 9); trailer 9
  expect_equal("file size" "${size}" "151")
  math(EXPR trailer "${size} - 9")
  read_hex(launcher.exe ${trailer} 9 tail)
  expect_equal("trailer" "${tail}" "0700000036ca82ca82")

  wizpack(--list stub.exe)
  expect_equal("--list of a file without index" "${RC}|${OUT}" "0|no index\n")

elseif(CASE STREQUAL "refusals")
  # Sparse files: their size counts, their bytes are never read.
  execute_process(COMMAND truncate -s 2147483648 "${WORK_DIR}/huge.bin" RESULT_VARIABLE rc)
  execute_process(COMMAND truncate -s 1200000000 "${WORK_DIR}/big1.bin")
  execute_process(COMMAND truncate -s 1200000000 "${WORK_DIR}/big2.bin")
  if(NOT rc EQUAL 0)
    fail("cannot create sparse test files")
  endif()

  # name | expected exit code | expected first line of the error output | arguments (split at ^)
  set(cases
    "unknown type|1|wizpack: unknown entry type 'jar' (use 0..7 or instructions, jvm, launchscript, classpath, jvminstaller, verification, application, launcher)|--type^jar^app.jar"
    "type 8|1|wizpack: unknown entry type '8' (use 0..7 or instructions, jvm, launchscript, classpath, jvminstaller, verification, application, launcher)|--type^8^app.jar"
    "missing file|1|wizpack: cannot find the file 'missing.jar'|--type^6^app.jar^--type^3^missing.jar"
    "missing base|1|wizpack: cannot find the file 'nobase.exe'|--type^6^app.jar"
    "file too large|1|wizpack: 'huge.bin' is too large for the launcher format (2147483648 bytes, at most 2147483647)|--type^6^huge.bin"
    "offset beyond 2^31|1|wizpack: cannot pack 'big2.bin': the file ends beyond 2^31 - 1 bytes into the launcher|--type^3^big1.bin^--type^3^big2.bin"
    "style 256|1|wizpack: the style byte must be a number 0..255, not '256'|--style^256"
    "id not a number|1|wizpack: the value of --id must be a number 0..4294967295, not '4294967296'|--type^3^--id^4294967296^app.jar"
    "type without file|2|wizpack: entry options at the end without a FILE|--type^3"
    "file without type|2|wizpack: --type is missing for 'app.jar'|app.jar"
    "unknown option|2|wizpack: unknown option '--typo'|--typo^app.jar"
  )
  # A line feed in a name; a name of 32768 bytes does not fit a Windows command line, so that
  # refusal is checked natively only.
  list(APPEND cases "name with a line feed|1|wizpack: cannot pack 'app.jar': the name holds a line feed|--type^3^--name^a\nb^app.jar")
  if(NOT EMULATOR)
    string(REPEAT "n" 32768 long_name)
    list(APPEND cases "name of 32768 bytes|1|wizpack: cannot pack 'app.jar': the name is longer than 32767 bytes|--type^3^--name^${long_name}^app.jar")
  endif()

  foreach(c IN LISTS cases)
    string(REPLACE "|" ";" fields "${c}")
    list(POP_FRONT fields name code expected)
    string(REPLACE "^" ";" fields "${fields}")
    set(base stub.exe)
    if(name STREQUAL "missing base")
      set(base nobase.exe)
    endif()
    # An existing output stays as it was; nothing half-made appears next to it.
    file(WRITE "${WORK_DIR}/out.exe" "previous")
    wizpack(-o out.exe ${base} ${fields})
    string(REGEX REPLACE "\n.*" "" first_line "${ERR}")
    expect_equal("${name}: exit code (${ERR})" "${RC}" "${code}")
    expect_equal("${name}: message" "${first_line}" "${expected}")
    file(READ "${WORK_DIR}/out.exe" kept)
    expect_equal("${name}: output file" "${kept}" "previous")
    if(EXISTS "${WORK_DIR}/out.exe.wizpack-tmp")
      fail("${name}: the temporary output was left behind")
    endif()
  endforeach()

  # Without an existing output, a refusal creates none.
  file(REMOVE "${WORK_DIR}/out.exe")
  wizpack(-o out.exe stub.exe --type 3 missing.jar)
  expect_equal("refusal without output: exit code" "${RC}" "1")
  if(EXISTS "${WORK_DIR}/out.exe" OR EXISTS "${WORK_DIR}/out.exe.wizpack-tmp")
    fail("a refused pack left an output file")
  endif()

  # A corrupt index is reported with the launcher's own message: a trailer whose index offset
  # (0x7F7F7F7F) lies beyond the file.
  string(ASCII 127 127 127 127 202 130 202 130 trailer)
  file(WRITE "${WORK_DIR}/corrupt.exe" "MZSTUB-EXECUTAB*${trailer}")
  wizpack(--list corrupt.exe)
  expect_equal("--list of a corrupt index" "${RC}|${ERR}"
               "1|wizpack: 'corrupt.exe': Invalid file index offset.\n")
elseif(CASE STREQUAL "manifest")
  wizpack(--version)
  expect_equal("--version" "${RC}|${OUT}" "0|wizpack ${VERSION}\n")

  # The manifest form packs the same bytes as the command-line form, every time; paths are
  # taken from the manifest's folder, and ${NAME} from -D.
  file(MAKE_DIRECTORY "${WORK_DIR}/m" "${WORK_DIR}/m/files dir")
  file(WRITE "${WORK_DIR}/m/files dir/app.jar" "JARBYTES")
  file(WRITE "${WORK_DIR}/m/setup.manifest" [=[
COMMENT:
  A launcher of three entries.
/:
LAUNCHER: ${TOP}/stub.exe
STYLE: 7
ENTRIES:
  instructions ../setup.tag
  // the application archive, under another name
  application "files dir/app.jar" id=4294967295 name=wizard.jar compressed=3/4096
  launcher ${TOP}/empty.bin id=12
/:
]=])
  wizpack(-o cli.exe --style 7 stub.exe --type instructions setup.tag
          --type 6 --id 4294967295 --name wizard.jar --compressed 3 4096 app.jar
          --type launcher --id 12 empty.bin)
  expect_equal("command-line pack (${ERR})" "${RC}" "0")
  foreach(n 1 2)
    wizpack(-D TOP=.. -o manifest${n}.exe --manifest m/setup.manifest)
    expect_equal("manifest pack ${n} (${ERR})" "${RC}" "0")
    file(SHA256 "${WORK_DIR}/manifest${n}.exe" sum${n})
  endforeach()
  file(SHA256 "${WORK_DIR}/cli.exe" cli)
  expect_equal("manifest and command line give the same bytes" "${sum1}" "${cli}")
  expect_equal("two manifest packs give the same bytes" "${sum2}" "${sum1}")

  # --extract writes each entry under its name.
  wizpack(--extract manifest1.exe out)
  expect_equal("--extract (${ERR})" "${RC}" "0")
  file(READ "${WORK_DIR}/out/wizard.jar" jar)
  file(READ "${WORK_DIR}/out/setup.tag" tag)
  file(SIZE "${WORK_DIR}/out/empty.bin" empty)
  expect_equal("extracted bytes" "${jar}|${tag}|${empty}"
               "JARBYTES|INSTRUCTIONS:\nINITIALIZE_UI\n/:\n|0")

  # Each refusal names the manifest line it comes from; nothing is written.
  # name | expected message after "wizpack: " | manifest text (lines split at ^)
  set(cases
    "unknown tag|bad.manifest:2: unknown tag 'LAUNCHR' (a manifest has LAUNCHER, STYLE, ENTRIES, COMMENT, PRODUCT_NAME, TEXTS, ICON, VERSION, COMPANY, DESCRIPTION, COPYRIGHT and EXECUTION_LEVEL)|LAUNCHER: stub.exe^LAUNCHR: stub.exe"
    "no launcher|bad.manifest: no LAUNCHER tag naming the launcher|STYLE: 1"
    "bad style|bad.manifest:2: the style byte must be a number 0..255, not 'x'|LAUNCHER: stub.exe^STYLE: x"
    "bad type|bad.manifest:4: unknown entry type 'jar' (use 0..7 or instructions, jvm, launchscript, classpath, jvminstaller, verification, application, launcher)|LAUNCHER: stub.exe^ENTRIES:^  jvm setup.tag^  jar app.jar^/:"
    "missing file|bad.manifest:3: cannot find the file 'missing.jar'|LAUNCHER: stub.exe^ENTRIES:^  application missing.jar^/:"
    "unknown option|bad.manifest:3: unknown entry option 'ids=3' (id=I, name=NAME, compressed=COUNT/SIZE)|LAUNCHER: stub.exe^ENTRIES:^  application app.jar ids=3^/:"
    "path only|bad.manifest:3: an entry is TYPE PATH [id=I] [name=NAME] [compressed=COUNT/SIZE]|LAUNCHER: stub.exe^ENTRIES:^  app.jar^/:"
    "undefined name|bad.manifest:1: \${BUILD} is not defined (give -D BUILD=VALUE)|LAUNCHER: \${BUILD}/stub.exe"
    "bad name|bad.manifest:3: cannot pack 'app.jar': the name is not a plain file name (empty, a path, a drive, dots only, a control character or a device name)|LAUNCHER: stub.exe^ENTRIES:^  application app.jar name=../x.jar^/:"
    "syntax|bad.manifest:2: Missing /: tag completer.|LAUNCHER: stub.exe^ENTRIES:^  application app.jar"
  )
  foreach(c IN LISTS cases)
    string(REPLACE "|" ";" fields "${c}")
    list(GET fields 0 name)
    list(GET fields 1 expected)
    list(GET fields 2 text)
    string(REPLACE "^" "\n" text "${text}")
    file(WRITE "${WORK_DIR}/bad.manifest" "${text}\n")
    file(WRITE "${WORK_DIR}/out.exe" "previous")
    wizpack(-o out.exe --manifest bad.manifest)
    string(REGEX REPLACE "\n.*" "" first_line "${ERR}")
    expect_equal("${name}: exit code (${ERR})" "${RC}" "1")
    expect_equal("${name}: message" "${first_line}" "wizpack: ${expected}")
    file(READ "${WORK_DIR}/out.exe" kept)
    expect_equal("${name}: output file" "${kept}" "previous")
  endforeach()
else()
  fail("unknown CASE '${CASE}'")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
