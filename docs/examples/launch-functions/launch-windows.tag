DESC: Sample Wizard
COMMAND: """@JVM_HOME@\@JVM_EXE@"" %RUNTIME_JAVAARGS%() %SYSTEMPROP%(""wizard.dir"", """"""%LAUNCHER_DIR%()"""""") %RUNTIME_SYSTEMPROP%() %IF_EXISTS%(""MAX_HEAP"", ""-Xmx@MAX_HEAP@"") %IF_EXISTS%(""DEBUG_PORT"", ""-agentlib:jdwp=transport=dt_socket,server=y,address=@DEBUG_PORT@"") %CP%(""lib\extra.jar"") SampleWizard"
ARCHIVE: """%APPLICATION_ARCHIVE%()"""
DISPLAY_CONSOLE: 1
