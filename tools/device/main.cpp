// parlo-device: the phone's side, for users and tests.
#include <cstdio>

int main() { return 0; }
