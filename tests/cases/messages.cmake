# Message texts in the language of the locale. The unit tests of the messages run once per
# locale and are told which language the system should pick; under Wine the locale sets the
# user's UI language and the ANSI code page (Japanese and Chinese run LoadStringA in a
# double-byte code page). The POSIX build chooses its table from the same variables.
foreach(_msg_case "english;en_US.UTF-8;0x09" "german;de_DE.UTF-8;0x07"
                  "japanese;ja_JP.UTF-8;0x411" "chinese-traditional;zh_TW.UTF-8;0x404")
  list(GET _msg_case 0 _msg_name)
  list(GET _msg_case 1 _msg_locale)
  list(GET _msg_case 2 _msg_langid)
  add_test(NAME messages.language.${_msg_name}
           COMMAND wizlaunch_tests
                   --gtest_filter=MessageText.*:MessageNumbers.*:MessagesSystemLanguage.*)
  set_tests_properties(messages.language.${_msg_name} PROPERTIES
                       ENVIRONMENT "LC_ALL=${_msg_locale};LANGUAGE=;WIZTEST_LANGUAGE=${_msg_langid}"
                       FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED"
                       TIMEOUT 60)
endforeach()

# The string-table generator refuses faulty language files (it runs on the build machine, so
# these run in the native build only).
if(NOT CMAKE_CROSSCOMPILING)
  foreach(_msg_case "missing-id;missing \\(3\\)"
                    "bad-escape;bad.txt:7: only .n may be escaped"
                    "no-codepage;bad.txt: CODEPAGE is missing"
                    "duplicate-id;bad.txt:8: string 2 given twice"
                    "no-english;the English file \\(LANGID 0x09\\) is missing")
    list(GET _msg_case 0 _msg_name)
    list(GET _msg_case 1 _msg_expect)
    add_test(NAME messages.generator.${_msg_name}
             COMMAND ${CMAKE_COMMAND} -DSTRINGS_DIR=${CMAKE_CURRENT_LIST_DIR}/messages_generator/${_msg_name}
                     -DRC_OUT=${CMAKE_CURRENT_BINARY_DIR}/messages-generator-unused.rc
                     -DCPP_OUT=${CMAKE_CURRENT_BINARY_DIR}/messages-generator-unused.cpp
                     -P ${CMAKE_SOURCE_DIR}/cmake/generate_strings.cmake)
    set_tests_properties(messages.generator.${_msg_name} PROPERTIES
                         WILL_FAIL FALSE PASS_REGULAR_EXPRESSION "${_msg_expect}")
  endforeach()
endif()
