INSTRUCTIONS:
  // The progress window (the console with "-console", and always on POSIX).
  INITIALIZE_UI
  // Finds a Java runtime with the embedded JVM descriptors, in the order they were packed,
  // showing the search; when none is found, asks the user for the java program. A runtime
  // found sets N1 to 1, S1 to its home and S2 to the JVM file that describes it.
  FIND_JVM 1 1
  JMP0 @N1@ END
  // Starts the wizard with the launch script and that runtime and waits for it; the wizard's
  // exit code is the launcher's. The UI goes away at once (0 seconds).
  LAUNCH @S2@ 0
  :END
/:
