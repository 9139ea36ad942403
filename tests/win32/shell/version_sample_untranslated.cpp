// Only its version resource matters; it is read, never run.
int main() { return 0; }
