# The launcher executable speaks the user's language: "-cv:in" without its value shows string 22
# from the string table of the locale's language (under Wine the locale sets the user's UI
# language, on POSIX the launcher reads the same variables).
if(TARGET wizlaunch)
  foreach(_lang_case "english;en_US.UTF-8;An input file name must follow the '-in' command line option."
                     "german;de_DE.UTF-8;Nach der Befehlszeilenoption '-in' muss der Name einer Eingabedatei folgen.")
    list(GET _lang_case 0 _lang_name)
    list(GET _lang_case 1 _lang_locale)
    list(GET _lang_case 2 _lang_text)
    add_test(NAME launcher.language.${_lang_name} COMMAND wizlaunch -console -cv:in)
    set_tests_properties(launcher.language.${_lang_name} PROPERTIES
                         ENVIRONMENT "LC_ALL=${_lang_locale};LANGUAGE="
                         PASS_REGULAR_EXPRESSION "${_lang_text}" TIMEOUT 60)
  endforeach()
endif()
