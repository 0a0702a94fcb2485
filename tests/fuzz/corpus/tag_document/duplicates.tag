DESC: first
JVM_EXE:jre\bin\java.exe
DESC:   second
X:
/:
X: "  padded  "
: empty name
