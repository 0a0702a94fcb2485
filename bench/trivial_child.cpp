// The trivial child of the child-run benchmark: it ends at once with exit code 0.
int main() { return 0; }
