en:
23 "No suitable Java was found. Get one at https://acme.example/java"
/:
de:
23 "Kein passendes Java gefunden. Es gibt eines unter https://acme.example/java"
/:
FALLBACK: en
