# Generates the string tables from the language files in resources/strings:
#   - a resource script with one STRINGTABLE per language (Windows executable), and
#   - a C++ table of the same texts (the POSIX build, and the tests of both builds).
#
# Usage: cmake -DSTRINGS_DIR=<dir> -DRC_OUT=<file.rc> -DCPP_OUT=<file.cpp>
#              [-DTABLE_SYSTEM=windows|posix] -P generate_strings.cmake
#
# A language file is UTF-8 text. Blank lines and lines starting with '#' are ignored. The header
# lines NAME, LANGID (resource language id), CODEPAGE (the ANSI code page its texts must fit) and
# LOCALES (POSIX locale names, "ll" or "ll_TT", that select it) come first; then one line per
# text: the string id, blanks, and the text in double quotes. Inside the quotes "\n" is a line
# break; other backslashes and double quotes are not allowed. Every language must have exactly
# the ids of the English file.
#
# A few words differ between the systems; a text names them as {WORD} and each system gets its
# own: {JAVA_PROGRAM} is "java.exe" in the Windows resources and "java" in the POSIX table. The
# C++ table holds the texts of TABLE_SYSTEM (default posix), so that the Windows tests compare it
# with the resources.
cmake_minimum_required(VERSION 3.20)

foreach(var STRINGS_DIR RC_OUT CPP_OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "generate_strings: ${var} is not set")
  endif()
endforeach()
if(NOT DEFINED TABLE_SYSTEM)
  set(TABLE_SYSTEM posix)
endif()
if(NOT TABLE_SYSTEM MATCHES "^(windows|posix)$")
  message(FATAL_ERROR "generate_strings: TABLE_SYSTEM must be windows or posix")
endif()

# The words of each system: {WORD}=windows=posix.
set(system_words "JAVA_PROGRAM=java.exe=java")

# The text with every {WORD} in the words of `system`.
function(system_text out system text)
  foreach(entry IN LISTS system_words)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 word)
    if(system STREQUAL "windows")
      list(GET parts 1 value)
    else()
      list(GET parts 2 value)
    endif()
    string(REPLACE "{${word}}" "${value}" text "${text}")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# CMake lists split at ';' (except inside brackets), so these characters travel as placeholders
# while the file is cut into lines.
string(ASCII 1 SEMI)
string(ASCII 2 LBRACKET)
string(ASCII 3 RBRACKET)

function(restore_text out text)
  string(REPLACE "${SEMI}" ";" text "${text}")
  string(REPLACE "${LBRACKET}" "[" text "${text}")
  string(REPLACE "${RBRACKET}" "]" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Reads one language file into variables prefixed with `prefix`: _NAME, _LANGID (decimal),
# _CODEPAGE, _LOCALES, _IDS (in file order) and _TEXT_<id>.
function(read_language prefix file)
  file(READ "${file}" content)
  get_filename_component(fname "${file}" NAME)
  get_filename_component(code "${file}" NAME_WE)
  set(${prefix}_CODE "${code}" PARENT_SCOPE)
  string(REPLACE ";" "${SEMI}" content "${content}")
  string(REPLACE "[" "${LBRACKET}" content "${content}")
  string(REPLACE "]" "${RBRACKET}" content "${content}")
  string(REPLACE "\r" "" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(ids)
  set(lineno 0)
  foreach(line IN LISTS lines)
    math(EXPR lineno "${lineno} + 1")
    if(line MATCHES "^[ \t]*$" OR line MATCHES "^#")
      continue()
    endif()
    if(line MATCHES "^(NAME|LANGID|CODEPAGE|LOCALES)[ \t]+(.*[^ \t])[ \t]*$")
      set(key "${CMAKE_MATCH_1}")
      set(value "${CMAKE_MATCH_2}")
      if(DEFINED have_${key})
        message(FATAL_ERROR "${fname}:${lineno}: ${key} given twice")
      endif()
      set(have_${key} 1)
      if(key STREQUAL "LANGID")
        if(NOT value MATCHES "^0x[0-9a-fA-F]+$")
          message(FATAL_ERROR "${fname}:${lineno}: LANGID must be a hexadecimal number")
        endif()
        math(EXPR value "${value}")
      elseif(key STREQUAL "CODEPAGE" AND NOT value MATCHES "^[0-9]+$")
        message(FATAL_ERROR "${fname}:${lineno}: CODEPAGE must be a number")
      endif()
      set(${prefix}_${key} "${value}" PARENT_SCOPE)
    elseif(line MATCHES "^([0-9]+)[ \t]+\"(.*)\"[ \t]*$")
      set(id "${CMAKE_MATCH_1}")
      set(text "${CMAKE_MATCH_2}")
      if(id IN_LIST ids)
        message(FATAL_ERROR "${fname}:${lineno}: string ${id} given twice")
      endif()
      string(REPLACE "\\n" "" rest "${text}")
      if(rest MATCHES "[\\\\\"]")
        message(FATAL_ERROR
                "${fname}:${lineno}: only \\n may be escaped; double quotes are not allowed")
      endif()
      list(APPEND ids ${id})
      set(${prefix}_TEXT_${id} "${text}" PARENT_SCOPE)
    else()
      message(FATAL_ERROR "${fname}:${lineno}: not a header line or a quoted text: ${line}")
    endif()
  endforeach()
  foreach(key NAME LANGID CODEPAGE LOCALES)
    if(NOT DEFINED have_${key})
      message(FATAL_ERROR "${fname}: ${key} is missing")
    endif()
  endforeach()
  set(${prefix}_IDS "${ids}" PARENT_SCOPE)
endfunction()

file(GLOB files "${STRINGS_DIR}/*.txt")
if(NOT files)
  message(FATAL_ERROR "generate_strings: no language files in ${STRINGS_DIR}")
endif()

# Read every file; order the languages by their language id.
set(keys)
set(n 0)
foreach(f IN LISTS files)
  math(EXPR n "${n} + 1")
  read_language(L${n} "${f}")
  set(key "00000${L${n}_LANGID}")
  string(LENGTH "${key}" len)
  math(EXPR start "${len} - 6")
  string(SUBSTRING "${key}" ${start} 6 key)
  if(DEFINED lang_of_${key})
    message(FATAL_ERROR "generate_strings: language id ${L${n}_LANGID} appears twice")
  endif()
  set(lang_of_${key} L${n})
  list(APPEND keys ${key})
  if(L${n}_LANGID EQUAL 9)
    set(english L${n})
  endif()
endforeach()
if(NOT DEFINED english)
  message(FATAL_ERROR "generate_strings: the English file (LANGID 0x09) is missing")
endif()
list(SORT keys)

# Every language has exactly the English ids, written in ascending order.
set(english_ids ${${english}_IDS})
list(SORT english_ids COMPARE NATURAL)
foreach(key IN LISTS keys)
  set(L ${lang_of_${key}})
  set(ids ${${L}_IDS})
  list(SORT ids COMPARE NATURAL)
  if(NOT ids STREQUAL english_ids)
    set(missing ${english_ids})
    list(REMOVE_ITEM missing ${ids})
    set(extra ${ids})
    list(REMOVE_ITEM extra ${english_ids})
    message(FATAL_ERROR "generate_strings: ${${L}_NAME} differs from English in its ids: "
                        "missing (${missing}), extra (${extra})")
  endif()
  set(${L}_IDS ${ids})
endforeach()

set(rc "// Generated from resources/strings by cmake/generate_strings.cmake: edit the language\n")
string(APPEND rc "// files there. Each table is written in UTF-8; the resource holds the texts in\n")
string(APPEND rc "// Unicode and LoadStringA gives them in the system's ANSI code page.\n")
string(APPEND rc "#pragma code_page(65001)\n")
set(cpp "// Generated from resources/strings by cmake/generate_strings.cmake: edit the language\n")
string(APPEND cpp "// files there. Texts are UTF-8.\n")
string(APPEND cpp "#include \"services/string_table.h\"\n\nnamespace wiz {\n\nnamespace {\n")
set(languages "")
list(LENGTH keys count)
foreach(key IN LISTS keys)
  set(L ${lang_of_${key}})
  set(langid ${${L}_LANGID})
  math(EXPR primary "${langid} & 1023" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR sub "${langid} >> 10" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR hexid "${langid}" OUTPUT_FORMAT HEXADECIMAL)
  string(APPEND rc "\n// ${${L}_NAME} (texts in code page ${${L}_CODEPAGE})\n")
  string(APPEND rc "LANGUAGE ${primary}, ${sub}\nSTRINGTABLE\nBEGIN\n")
  string(APPEND cpp "\n// ${${L}_NAME}\nconst StringEntry kTexts${langid}[] = {\n")
  set(n 0)
  foreach(id IN LISTS ${L}_IDS)
    restore_text(text "${${L}_TEXT_${id}}")
    system_text(rc_text windows "${text}")
    system_text(cpp_text ${TABLE_SYSTEM} "${text}")
    string(APPEND rc "  ${id} \"${rc_text}\"\n")
    string(APPEND cpp "    {${id}, \"${cpp_text}\"},\n")
    math(EXPR n "${n} + 1")
  endforeach()
  string(APPEND rc "END\n")
  string(APPEND cpp "};\n")
  string(APPEND languages "    {\"${${L}_NAME}\", ${hexid}, ${${L}_CODEPAGE}, \"${${L}_LOCALES}\", "
                          "kTexts${langid}, ${n}, \"${${L}_CODE}\"},\n")
endforeach()
# Later resource scripts are read in the default code page again.
string(APPEND rc "\n#pragma code_page(DEFAULT)\n")
string(APPEND cpp "\n}  // namespace\n\nconst StringLanguage kStringLanguages[] = {\n")
string(APPEND cpp "${languages}};\nconst int kStringLanguageCount = ${count};\n\n}  // namespace wiz\n")

file(WRITE "${RC_OUT}" "${rc}")
file(WRITE "${CPP_OUT}" "${cpp}")
