// The program that makes the test programs' precompiled header; it runs no
// test and is never run.
int main() { return 0; }
