INSTRUCTIONS:
  // Shows the progress, runs a small loop on the script variables and ends with result 0.
  // (Finding a Java runtime and launching a wizard are the next steps of a real script.)
  INITIALIZE_UI
  SET N2 = 0
  SET S1 = "hello from the embedded script"
  :AGAIN
  JMP0 @N2@ FIRST_PASS
  GOTO DONE
  :FIRST_PASS
  SET N2 = 1
  GOTO AGAIN
  :DONE
/:
