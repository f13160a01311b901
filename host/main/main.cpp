// Program entry: the Linux launcher.
int main() { return 0; }
