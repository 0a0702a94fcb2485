INSTRUCTIONS:
  // The progress window (the console with "-console", and always on POSIX).
  INITIALIZE_UI
  // Finds a Java runtime with the embedded JVM descriptors, in the order they were packed,
  // showing the search; when none is found, asks the user for the java program. A runtime
  // found sets N1 to 1, S1 to its home and S2 to the JVM file that describes it.
  FIND_JVM 1 1
  JMP0 @N1@ NO_JAVA
  // Starts the wizard with the launch script and that runtime and waits for it; the wizard's
  // exit code is the launcher's. The UI goes away at once (0 seconds).
  LAUNCH @S2@ 0
  GOTO END
  // No suitable runtime found or picked: the launcher ends with exit code 3 and tells the
  // user what to install.
  :NO_JAVA
  EXIT 3 This installer needs Java 17 or newer. Get it from https://adoptium.net, then run the installer again.
  :END
/:
