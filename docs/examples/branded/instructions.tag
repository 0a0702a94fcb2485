INSTRUCTIONS:
  // Show the progress (the console with -console).
  INITIALIZE_UI
  // Find a runtime with the packed descriptors; none found: ask for a java program.
  FIND_JVM 1 1
  // N1 is 0 when there is no runtime: jump to the last line, which ends the script.
  JMP0 @N1@ END
  // S2 is the JVM file of the runtime found; 0: hide the progress at once.
  LAUNCH @S2@ 0
  :END
/:
