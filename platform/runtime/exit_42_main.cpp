// For the command runner's tests: a program that only ends with exit code 42, dropped
// where a program of another name must not be taken for the real one.
int main() { return 42; }
