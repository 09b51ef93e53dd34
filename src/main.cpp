// Entry point; start-up arrives with the frame.
int main() { return 0; }
