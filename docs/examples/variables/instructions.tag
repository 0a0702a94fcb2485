INSTRUCTIONS:
  INITIALIZE_UI
  // N3: how long the progress stays up once the wizard runs (seconds).
  SET N3 = 2
  FIND_JVM 1 0
  // N1 is 1 when a runtime was found, else 0: go on at FOUND_1 or FOUND_0.
  SET S4 = FOUND_@N1@
  GOTO @S4@
  :FOUND_0
  // No runtime: end without a launch (exit code 0).
  GOTO END
  :FOUND_1
  // S2 names the JVM file FIND_JVM wrote (a path with blanks is fine: the word is
  // cut before the value is put in).
  LAUNCH @S2@ @N3@
  :END
/:
