#include <cstdio>

int main() {
  std::fprintf(stderr, "kobix-serverd: the headless server is not built yet.\n");
  return 2;
}
