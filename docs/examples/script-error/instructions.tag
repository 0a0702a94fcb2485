INSTRUCTIONS:
  INITIALIZE_UI
  SET S3 = DONE
  // The label below is misspelt: the jump fails and ends the run.
  GOTO @S3@
  :DOEN
/:
