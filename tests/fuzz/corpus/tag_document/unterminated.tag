BLOCK:
  value
