# The Java side: the verification class that the launcher runs on a candidate runtime
# (Verify.jar, target wizverify) and a small sample wizard for the tests and the demo
# (wizard.jar, target wizsample), both written to ${CMAKE_BINARY_DIR}/java.
#
# Java classes are the same for every target system, so each build (native and the cross builds
# alike) makes them with the host's Java compiler; the MinGW toolchain files let find_program see
# host programs. They are compiled for Java 8 class files, so any runtime from 1.8 on runs them.
# Without a Java compiler the build goes on without them: WIZ_VERIFY_JAR and WIZ_WIZARD_JAR are
# then empty, and whatever uses them must check.
set(WIZ_VERIFY_JAR "")
set(WIZ_WIZARD_JAR "")

find_package(Java COMPONENTS Development QUIET)
if(NOT Java_Development_FOUND)
  message(STATUS "No Java compiler found: Verify.jar and wizard.jar are not built")
  return()
endif()
include(UseJava)

# --release (JDK 9 and later) also checks the code against the Java 8 class library; an older
# compiler gets the plain source and target levels. -Xlint:-options keeps newer compilers quiet
# about compiling for an old release.
if(Java_VERSION AND Java_VERSION VERSION_LESS 9)
  set(_wiz_java_flags -source 1.8 -target 1.8)
else()
  set(_wiz_java_flags --release 8 -Xlint:-options)
endif()
set(_wiz_java_saved_flags "${CMAKE_JAVA_COMPILE_FLAGS}")
set(CMAKE_JAVA_COMPILE_FLAGS ${_wiz_java_flags} -encoding UTF-8)

# Both classes are in the default package, so they sit at the root of their jars.
add_jar(wizverify SOURCES ${CMAKE_SOURCE_DIR}/java/Verify.java
        OUTPUT_NAME Verify OUTPUT_DIR ${CMAKE_BINARY_DIR}/java)
add_jar(wizsample SOURCES ${CMAKE_SOURCE_DIR}/java/SampleWizard.java
        OUTPUT_NAME wizard OUTPUT_DIR ${CMAKE_BINARY_DIR}/java ENTRY_POINT SampleWizard)

set(CMAKE_JAVA_COMPILE_FLAGS "${_wiz_java_saved_flags}")
unset(_wiz_java_saved_flags)
unset(_wiz_java_flags)

get_target_property(WIZ_VERIFY_JAR wizverify JAR_FILE)
get_target_property(WIZ_WIZARD_JAR wizsample JAR_FILE)
