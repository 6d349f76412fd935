#include <cstdio>
int main(int argc, char** argv) { std::fprintf(stderr, "usage: tessaro-cli info FILE | convert INPUT OUTPUT\n"); return 2; }
