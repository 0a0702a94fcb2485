GOOD: 1
no colon here
